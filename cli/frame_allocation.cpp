#include "frame_allocation.h"

#include "frame_size.h"
#include "tool_error.h"

void allocate_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const std::string& name) {
  free_frame_buffer(buffer);
  if (const std::string wrong = check_frame_size(max_w, max_h); !wrong.empty()) fail(name, wrong);
  PAGE_OPTIONS options;
  options.huge_pages = true;
  if (!make_frame_buffer(buffer, max_w, max_h, options))
    fail(name, "out of memory for a " + std::to_string(max_w) + "x" + std::to_string(max_h) +
                   " frame buffer");
}
