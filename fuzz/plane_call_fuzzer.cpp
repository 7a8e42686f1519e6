// The library's plane calls (one plane on its own grid, or a plane job on a
// grid of any offset and spans, with or without a context) with any sizes,
// strides, depths and options: a call is refused exactly when an argument
// is bad, never reads or writes
// outside the bytes its arguments name (the buffers are exactly that long,
// under AddressSanitizer), and leaves the bytes between the target's rows
// alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "morvane.h"

namespace {

struct BYTES {
  const uint8_t* data;
  size_t size;
  uint8_t next() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

// A side: mostly 1 .. 200, sometimes zero, negative or past the limit.
int side(BYTES& in) {
  const uint8_t kind = in.next(), value = in.next();
  if (kind < 8) return -static_cast<int>(value);
  if (kind < 12) return MORVANE_MAX_SIDE + 1 + value;
  return 1 + value % 200;
}

// A stride around the row's bytes: below it now and then, padded mostly.
ptrdiff_t stride(BYTES& in, int width, int bytes) {
  const int delta = static_cast<int8_t>(in.next());
  return static_cast<ptrdiff_t>(width > 0 ? width : 1) * bytes + (delta < -100 ? -1 : delta / 8);
}

bool good_side(int s) { return s >= 1 && s <= MORVANE_MAX_SIDE; }

// A grid: mostly an offset of 0 .. 1, sometimes above.
morvane_axis grid(BYTES& in) {
  const float offset = in.next() / 200.0f;
  const int span = side(in);
  return morvane_axis{offset, span, side(in)};
}

bool good_grid(const morvane_axis& g) {
  return g.offset <= 1.0f && good_side(g.span) && good_side(g.target_span);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BYTES in{data, size};
  const uint8_t depths[] = {8, 10, 12, 16, 0, 9, 15, 17};
  const int depth = depths[in.next() % 8];
  const int bytes = depth > 8 ? 2 : 1;
  const int sw = side(in), sh = side(in), tw = side(in), th = side(in);
  const ptrdiff_t ss = stride(in, sw, bytes), ts = stride(in, tw, bytes);
  morvane_options options;
  morvane_options_init(&options);
  const uint8_t flags = in.next();
  options.threads = flags % 4;  // 0 is refused
  options.vertical_first = (flags >> 2) & 1;
  options.antialias = (flags >> 3) & 1;
  const bool own_grid = ((flags >> 4) & 1) == 0, in_context = (flags >> 5) & 1;
  const morvane_axis across = own_grid ? morvane_axis{0.5f, sw, tw} : grid(in);
  const morvane_axis down = own_grid ? morvane_axis{0.5f, sh, th} : grid(in);

  const bool good = (own_grid || (good_grid(across) && good_grid(down))) &&
                    (depth == 8 || depth == 10 || depth == 12 || depth == 16) && good_side(sw) &&
                    good_side(sh) && good_side(tw) && good_side(th) && ss >= sw * bytes &&
                    ts >= tw * bytes && options.threads >= 1;
  // Buffers of exactly the bytes a good call may touch (a byte for a bad one).
  const size_t source_bytes = good ? static_cast<size_t>(ss) * (sh - 1) + sw * bytes : 1;
  const size_t target_bytes = good ? static_cast<size_t>(ts) * (th - 1) + tw * bytes : 1;
  std::vector<uint8_t> source(source_bytes), target(target_bytes, 0xA5);
  for (uint8_t& b : source) b = in.next();

  int status;
  if (own_grid && !in_context) {
    status =
        morvane_resize_plane(source.data(), ss, sw, sh, target.data(), ts, tw, th, depth, &options);
  } else {
    const morvane_plane_job job{source.data(), ss, sw, sh, target.data(), ts, tw, th, across, down};
    morvane_context* context = in_context ? morvane_context_create(2) : nullptr;
    status = morvane_resize_planes(context, &job, 1, depth, &options);
    morvane_context_destroy(context);
  }
  if ((status == MORVANE_OK) != good) std::abort();
  if (status != MORVANE_OK) {
    if (target[0] != 0xA5) std::abort();  // a refused call writes nothing
    return 0;
  }
  for (int y = 0; y + 1 < th; ++y)
    for (ptrdiff_t x = static_cast<ptrdiff_t>(tw) * bytes; x < ts; ++x)
      if (target[y * ts + x] != 0xA5) std::abort();
  return 0;
}
