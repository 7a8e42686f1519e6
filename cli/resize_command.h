#pragma once
// `morvane resize`: one picture, one raw frame or one y4m stream in, the same
// kind out at the new size.
#include <string>

struct RESIZE_OPTIONS {
  std::string input;
  std::string output;
  std::string size;        // target size text, "1280x720"
  std::string input_size;  // .yc48 only: the input's size text
  bool vertical_first = false;
  int threads = 1;
  std::string kernels = "auto";  // --isa
  bool quiet = false;
  bool via_yc48 = false;        // y4m and 16-bit PNG: through YC48 as the editor does, not each
                                // channel at its own depth
  bool antialias = false;       // low-pass each axis that shrinks before the spline samples it
  bool straight_alpha = false;  // PNG: colour resized as stored, not weighted by its alpha
  bool keep_16_bits = false;    // accepted for old scripts: every channel at its own depth is the
                                // default
};

// Throws TOOL_ERROR with the line to print on any failure.
void run_resize(const RESIZE_OPTIONS& options);
