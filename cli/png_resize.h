#pragma once
// Resizing a PNG picture: read whole, every channel resized as a plane, and
// written at the new size. 16-bit pictures keep every channel at its own
// depth; 8-bit ones (and 16-bit ones with via_yc48) go through YC48 as the
// editor does. With alpha, colour is weighted by it while it is resized
// (alpha_weight.h) unless straight_alpha says otherwise.
#include <cstdint>
#include <string>

#include "library_resize.h"

struct PNG_JOB {
  std::string input;   // read from
  std::string output;  // written to, opened once the picture is resized
  int32_t target_w;
  int32_t target_h;
  bool vertical_first = false;
  bool via_yc48 = false;
  bool antialias = false;  // low-pass the axes that shrink first
  bool straight_alpha = false;
};

// Throws TOOL_ERROR naming the input for a damaged, cut-short or too large
// picture, and naming the output when it cannot be written. Resizes in
// `library`.
void resize_png_file(const PNG_JOB& job, LIBRARY_CONTEXT& library);
