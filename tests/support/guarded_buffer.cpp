#include "guarded_buffer.h"

#include <cstdlib>
#include <cstring>

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

GuardedBuffer::GuardedBuffer(size_t bytes) : bytes_(bytes) {
  const size_t page = page_size();
  const size_t usable = (bytes + page - 1) / page * page;
  mapped_ = page + usable + page;
#if defined(_WIN32)
  base_ = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, mapped_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  DWORD old;
  if (!base_ || !VirtualProtect(base_, page, PAGE_NOACCESS, &old) ||
      !VirtualProtect(base_ + page + usable, page, PAGE_NOACCESS, &old))
    std::abort();
#else
  void* p = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) std::abort();
  base_ = static_cast<uint8_t*>(p);
  if (mprotect(base_, page, PROT_NONE) != 0 ||
      mprotect(base_ + page + usable, page, PROT_NONE) != 0)
    std::abort();
#endif
  data_ = base_ + page + usable - bytes;
}

GuardedBuffer::~GuardedBuffer() {
#if defined(_WIN32)
  VirtualFree(base_, 0, MEM_RELEASE);
#else
  munmap(base_, mapped_);
#endif
}

void fill_random(PIXEL_YC* pixels, size_t count, uint32_t seed, bool extreme) {
  uint32_t state = seed * 2654435761u + 1;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  int32_t walk[3] = {2048, 0, 0};
  for (size_t i = 0; i < count; ++i) {
    int16_t s[3];
    for (int c = 0; c < 3; ++c) {
      if (extreme) {
        s[c] = static_cast<int16_t>(next() & 0xFFFF);
      } else {
        walk[c] += static_cast<int32_t>(next() % 401) - 200;
        if (walk[c] > 4500) walk[c] = 4500;
        if (walk[c] < -2500) walk[c] = -2500;
        s[c] = static_cast<int16_t>(walk[c] + static_cast<int32_t>(next() % 64) - 32);
      }
    }
    pixels[i] = PIXEL_YC{s[0], s[1], s[2]};
  }
}

std::vector<PIXEL_YC> copy_image(const PIXEL_YC* buffer, int32_t max_w, int32_t w, int32_t h) {
  std::vector<PIXEL_YC> out(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(&out[static_cast<size_t>(y) * w], buffer + static_cast<size_t>(y) * max_w,
                w * sizeof(PIXEL_YC));
  return out;
}

long first_difference(const std::vector<PIXEL_YC>& a, const std::vector<PIXEL_YC>& b) {
  if (a.size() != b.size()) return 0;
  const size_t n = a.size() * 3;
  const int16_t* pa = &a[0].y;
  const int16_t* pb = &b[0].y;
  for (size_t i = 0; i < n; ++i)
    if (pa[i] != pb[i]) return static_cast<long>(i);
  return -1;
}
