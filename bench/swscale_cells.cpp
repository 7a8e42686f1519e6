// libswscale's SWS_SPLINE on planar 4:4:4 16-bit (AV_PIX_FMT_YUV444P16LE).
extern "C" {
#include <libswscale/swscale.h>
}

#include <memory>
#include <stdexcept>

#include "buffers.h"
#include "cells.h"

namespace {

struct SWS_JOB {
  SwsContext* context = nullptr;
  FRAME_MEMORY src, dst;
  const uint8_t* in[4] = {};
  uint8_t* out[4] = {};
  int in_stride[4] = {}, out_stride[4] = {};
  int source_rows = 0;
  ~SWS_JOB() { sws_freeContext(context); }
};

}  // namespace

std::vector<CELL> swscale_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                const BENCH_OPTIONS& options) {
  auto s = std::make_shared<SWS_JOB>();
  const size_t in_stride = aligned_stride(2 * job.sw), out_stride = aligned_stride(2 * job.tw);
  s->src = frame_memory(3 * in_stride * job.sh, options.huge_pages);
  s->dst = frame_memory(3 * out_stride * job.th, options.huge_pages);
  for (int p = 0; p < 3; ++p) {
    s->in[p] = static_cast<const uint8_t*>(s->src.get()) + p * in_stride * job.sh;
    s->out[p] = static_cast<uint8_t*>(s->dst.get()) + p * out_stride * job.th;
    s->in_stride[p] = static_cast<int>(in_stride);
    s->out_stride[p] = static_cast<int>(out_stride);
  }
  for (int32_t y = 0; y < job.sh; ++y) {
    for (int32_t x = 0; x < job.sw; ++x) {
      const PIXEL_YC& px = source[static_cast<size_t>(y) * job.sw + x];
      const int16_t v[3] = {px.y, px.cb, px.cr};
      for (int p = 0; p < 3; ++p)
        reinterpret_cast<uint16_t*>(const_cast<uint8_t*>(s->in[p]) + y * in_stride)[x] =
            static_cast<uint16_t>(v[p] + 32768);
    }
  }
  s->source_rows = job.sh;
  s->context = sws_getContext(job.sw, job.sh, AV_PIX_FMT_YUV444P16LE, job.tw, job.th,
                              AV_PIX_FMT_YUV444P16LE, SWS_SPLINE, nullptr, nullptr, nullptr);
  if (!s->context) throw std::runtime_error("swscale could not make its context");
  CELL c;
  c.implementation = "swscale SWS_SPLINE";
  c.frame = [s] {
    sws_scale(s->context, s->in, s->in_stride, 0, s->source_rows, s->out, s->out_stride);
  };
  return {std::move(c)};
}
