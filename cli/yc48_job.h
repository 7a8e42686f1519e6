#pragma once
// The tool's .yc48 frames (the format: yc48_file.h), with its error lines,
// and the .yc48 job: one frame read, resized and written.
#include <cstdint>
#include <string>

#include "file_io.h"
#include "library_resize.h"
#include "yc48_image.h"

// Reads one w x h frame into `frame` (whose pixels must have room) and sets
// frame.w, frame.h. The file must hold exactly one frame: a shorter
// or longer file throws TOOL_ERROR naming it and its length (for one that
// goes on, the length read before the tool stopped looking).
void read_yc48_frame(INPUT_FILE& in, YC48_IMAGE& frame, int32_t w, int32_t h);

// Before any buffer is sized for a w x h frame: throws TOOL_ERROR, as
// read_yc48_frame would, when the input is a file whose length is not that
// of one such frame (a size far larger than the file is told as such, not as
// a lack of memory). Other inputs are left to read_yc48_frame.
void check_yc48_length(const INPUT_FILE& in, int32_t w, int32_t h);

// Writes the image of `frame` (w x h pixels) as a .yc48 frame.
void write_yc48_frame(OUTPUT_FILE& out, const YC48_IMAGE& frame);

struct YC48_JOB {
  std::string input;   // read from
  std::string output;  // written to, opened once the frame is resized
  int32_t source_w;
  int32_t source_h;
  int32_t target_w;
  int32_t target_h;
  bool vertical_first = false;
  bool antialias = false;  // low-pass the axes that shrink first
};

// Reads the source_w x source_h frame, resizes it in `library` and writes it.
// Throws TOOL_ERROR naming the input or the output on any failure.
void resize_yc48_file(const YC48_JOB& job, LIBRARY_CONTEXT& library);
