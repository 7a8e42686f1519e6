#pragma once
// .yc48 frames: rows of pixels of three int16 (y, cb, cr, little-endian), w x h
// pixels, no header, no padding. In memory a pixel is the same three int16
// (the engine's PIXEL_YC, the tool's YC48_PIXEL) and the rows lie `pitch`
// pixels apart.
#include <cstddef>
#include <cstdint>
#include <cstdio>

// The bytes of a w x h frame: 0 when a side is below 1, UINT64_MAX when they
// do not fit in 64 bits.
uint64_t yc48_frame_bytes(int32_t w, int32_t h);

struct YC48_READ {
  uint64_t length;    // bytes read from the file's position: the frame's, or fewer when the
                      // file ends first, and whatever the one look past the frame found
  bool read_error;    // the read failed; errno tells why
  bool more = false;  // that look found yc48_look_ahead bytes: the file goes on (maybe forever)
};

// Bytes read past a whole frame to learn whether the file ends there.
constexpr size_t yc48_look_ahead = 4096;

// Reads a w x h frame from `file` into the rows at `first`, then looks once
// past it, reading at most yc48_look_ahead bytes: the frame is whole when
// the length is yc48_frame_bytes(w, h). A shorter file fills only the rows
// it holds. A file that never ends (a pipe, a device) costs one look.
YC48_READ read_yc48(std::FILE* file, void* first, int32_t w, int32_t h, int32_t pitch);

// Writes the w x h image at `first`. False on a short write (errno tells why).
bool write_yc48(std::FILE* file, const void* first, int32_t w, int32_t h, int32_t pitch);
