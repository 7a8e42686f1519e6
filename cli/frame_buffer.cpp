#include "frame_buffer.h"

#include <sys/mman.h>

#include "frame_size.h"
#include "tool_error.h"

namespace {

void release(FRAME_BUFFER& b) {
  if (b.frame.buffer) munmap(b.frame.buffer, b.bytes);
  b.frame = FRAME{};
  b.bytes = 0;
}

}  // namespace

FRAME_BUFFER::~FRAME_BUFFER() { release(*this); }

void make_frame_buffer(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const char* name) {
  release(buffer);
  if (const std::string wrong = check_frame_size(max_w, max_h); !wrong.empty()) fail(name, wrong);
  const size_t bytes = sizeof(PIXEL_YC) * static_cast<size_t>(max_w) * static_cast<size_t>(max_h);
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED)
    fail(name, "out of memory for a " + std::to_string(max_w) + "x" + std::to_string(max_h) +
                   " frame buffer");
#ifdef MADV_HUGEPAGE
  madvise(p, bytes, MADV_HUGEPAGE);
#endif
  buffer.frame = FRAME{static_cast<PIXEL_YC*>(p), 0, 0, max_w, max_h};
  buffer.bytes = bytes;
}
