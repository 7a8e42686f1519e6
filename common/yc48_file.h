#pragma once
// .yc48 frames: rows of PIXEL_YC (y, cb, cr as little-endian int16), w x h
// pixels, no header, no padding. In memory the rows lie `pitch` pixels apart.
#include <cstdint>
#include <cstdio>

#include "pixel.h"

uint64_t yc48_frame_bytes(int32_t w, int32_t h);

struct YC48_READ {
  uint64_t length;  // bytes from the file's position to its end (or to a read error)
  bool read_error;  // the read failed; errno tells why
};

// Reads a w x h frame from `file` into the rows at `first`, then reads on to
// the end to learn the file's length: the frame is whole when that length is
// yc48_frame_bytes(w, h). A shorter file fills only the rows it holds.
YC48_READ read_yc48(std::FILE* file, PIXEL_YC* first, int32_t w, int32_t h, int32_t pitch);

// Writes the w x h image at `first`. False on a short write (errno tells why).
bool write_yc48(std::FILE* file, const PIXEL_YC* first, int32_t w, int32_t h, int32_t pitch);
