#include "frame_allocation.h"

#include "frame_size.h"
#include "tool_error.h"

bool make_frame(SAMPLE_BUFFER& buffer, int32_t w, int32_t h, YC48_IMAGE& frame) {
  static_assert(sizeof(YC48_PIXEL) == 3 * sizeof(int16_t));
  PAGE_OPTIONS options;
  options.huge_pages = true;
  if (!make_sample_buffer(buffer, uint64_t{3} * static_cast<uint64_t>(w) * static_cast<uint64_t>(h),
                          options))
    return false;
  frame = YC48_IMAGE{reinterpret_cast<YC48_PIXEL*>(buffer.samples), w, h};
  return true;
}

YC48_IMAGE allocate_frame(SAMPLE_BUFFER& buffer, int32_t w, int32_t h, const std::string& name) {
  if (const std::string wrong = check_frame_size(w, h); !wrong.empty()) fail(name, wrong);
  YC48_IMAGE frame;
  if (!make_frame(buffer, w, h, frame))
    fail(name,
         "out of memory for a " + std::to_string(w) + "x" + std::to_string(h) + " frame buffer");
  return frame;
}
