#include "guarded_frame.h"

#include <new>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

size_t page_size() {
#if defined(_WIN32)
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

}  // namespace

GuardedFrame::GuardedFrame(int32_t max_w, int32_t max_h)
    : max_w_(max_w), max_h_(max_h), bytes_(static_cast<size_t>(max_w) * max_h * sizeof(PIXEL_YC)) {
  const size_t page = page_size();
  const size_t inner = (bytes_ + page - 1) / page * page;
  mapped_ = inner + 2 * page;
#if defined(_WIN32)
  base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!base_) throw std::bad_alloc();
  DWORD old;
  VirtualProtect(base_, page, PAGE_NOACCESS, &old);
  VirtualProtect(base_ + page + inner, page, PAGE_NOACCESS, &old);
#else
  void* p = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  base_ = static_cast<uint8_t*>(p);
  mprotect(base_, page, PROT_NONE);
  mprotect(base_ + page + inner, page, PROT_NONE);
#endif
  data_ = base_ + page + inner - bytes_;
}

GuardedFrame::~GuardedFrame() {
#if defined(_WIN32)
  VirtualFree(base_, 0, MEM_RELEASE);
#else
  munmap(base_, mapped_);
#endif
}
