// The C library's plane call (morvane.h, through the shared library) on the
// job's three 16-bit planes, one call per plane, as a user of the library
// resizes a 4:4:4 picture: in a context made once per cell (its threads and
// work memory kept from frame to frame, as a caller resizing a stream keeps
// them); 1 and 2 threads.
#include <memory>
#include <stdexcept>

#include "buffers.h"
#include "cells.h"
#include "morvane.h"

namespace {

struct LIBRARY_PLANES {
  FRAME_MEMORY src, dst;
  size_t in_stride = 0, out_stride = 0;
  JOB job{};

  uint8_t* source(int p) const { return static_cast<uint8_t*>(src.get()) + p * in_stride * job.sh; }
  uint8_t* target(int p) const {
    return static_cast<uint8_t*>(dst.get()) + p * out_stride * job.th;
  }
};

}  // namespace

std::vector<CELL> library_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                const BENCH_OPTIONS& options) {
  auto planes = std::make_shared<LIBRARY_PLANES>();
  planes->job = job;
  planes->in_stride = aligned_stride(2 * job.sw);
  planes->out_stride = aligned_stride(2 * job.tw);
  planes->src = frame_memory(3 * planes->in_stride * job.sh, options.huge_pages);
  planes->dst = frame_memory(3 * planes->out_stride * job.th, options.huge_pages);
  for (int32_t y = 0; y < job.sh; ++y) {
    for (int32_t x = 0; x < job.sw; ++x) {
      const PIXEL_YC& px = source[static_cast<size_t>(y) * job.sw + x];
      const int16_t v[3] = {px.y, px.cb, px.cr};
      for (int p = 0; p < 3; ++p)
        reinterpret_cast<uint16_t*>(planes->source(p) + y * planes->in_stride)[x] =
            static_cast<uint16_t>(v[p] + 32768);
    }
  }
  std::vector<CELL> cells;
  for (int threads : {1, 2}) {
    morvane_options call;
    morvane_options_init(&call);
    call.threads = threads;
    call.vertical_first = options.vertical_first ? 1 : 0;
    const std::shared_ptr<morvane_context> context(morvane_context_create(threads),
                                                   morvane_context_destroy);
    if (!context) throw std::runtime_error("the library could not make a context");
    CELL c;
    c.implementation = "library planes";
    c.threads = threads;
    c.frame = [planes, call, context] {
      const JOB& j = planes->job;
      for (int p = 0; p < 3; ++p)
        if (const int status = morvane_context_resize_plane(
                context.get(), planes->source(p), static_cast<ptrdiff_t>(planes->in_stride), j.sw,
                j.sh, planes->target(p), static_cast<ptrdiff_t>(planes->out_stride), j.tw, j.th, 16,
                &call);
            status != MORVANE_OK)
          throw std::runtime_error(std::string("the library refused the plane: ") +
                                   morvane_status_text(status));
    };
    cells.push_back(std::move(c));
  }
  return cells;
}
