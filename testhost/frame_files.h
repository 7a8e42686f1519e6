#pragma once
// The .yc48 files the test host reads and writes (the format: yc48_file.h),
// with the messages it prints.
#include <string>
#include <vector>

#include "pixel.h"

// Reads a w x h frame, rows packed. The file's size must be exactly 6 x w x h,
// which is checked before memory is taken for the frame, and the frame must
// fit a buffer of the test host (most_buffer_bytes).
bool read_frame_file(const std::string& path, int w, int h, std::vector<PIXEL_YC>& pixels,
                     std::string& error);

// Writes the w x h image whose rows are `pitch` pixels apart, under a
// temporary name renamed when complete, so a failure never leaves a partial
// file at `path`.
bool write_frame_file(const std::string& path, const PIXEL_YC* first, int w, int h, int pitch,
                      std::string& error);
