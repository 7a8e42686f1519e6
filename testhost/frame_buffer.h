#pragma once
// Frame buffers as the host hands them to a filter, and the .yc48 files the
// test host reads and writes.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "pixel.h"

// max_h rows of max_w pixels that end exactly where a no-access page begins,
// so that the first byte read or written past the buffer faults.
struct GUARDED_BUFFER {
  void* region;      // the whole allocation, guard page included
  PIXEL_YC* pixels;  // the buffer's first pixel
  int max_w;
  int max_h;
};

// False, with a message, for a size below 1 or one that cannot be had.
bool allocate_guarded_buffer(int max_w, int max_h, GUARDED_BUFFER& buffer, std::string& error);
void free_guarded_buffer(GUARDED_BUFFER& buffer);

// A .yc48 file: w x h pixels, rows from the top, each pixel y, cb, cr as
// little-endian int16, no header. The file's size must be exactly 6 x w x h.
bool read_yc48(const std::string& path, int w, int h, std::vector<PIXEL_YC>& pixels,
               std::string& error);

// Writes the w x h image whose rows are `pitch` pixels apart. The file is
// written under a temporary name and renamed when complete, so a failure never
// leaves a partial file at `path`.
// Writes a file through `write` under a temporary name and renames it into
// place on success; on failure nothing is left and `error` says which file.
bool write_whole_file(const std::string& path, const std::function<bool(FILE*)>& write,
                      std::string& error);

bool write_yc48(const std::string& path, const PIXEL_YC* first, int w, int h, int pitch,
                std::string& error);

// A w x h test card for when no frame file is given: a luma ramp from left
// to right, chroma ramps from top to bottom, and a grid line every 16 pixels.
std::vector<PIXEL_YC> make_test_card(int w, int h);
