// zimg's SPLINE36 on three 16-bit planes, with its own processor choice
// (AVX2 here) and with 512-bit instructions allowed.
#include <zimg.h>

#include <memory>
#include <stdexcept>

#include "buffers.h"
#include "cells.h"

namespace {

struct ZIMG_PLANES {
  FRAME_MEMORY memory;
  size_t stride;
  size_t plane_bytes;
  uint16_t* plane(int p) const {
    return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(memory.get()) + p * plane_bytes);
  }
};

ZIMG_PLANES make_planes(int32_t w, int32_t h, bool huge) {
  ZIMG_PLANES planes;
  planes.stride = aligned_stride(sizeof(uint16_t) * w);
  planes.plane_bytes = planes.stride * h;
  planes.memory = frame_memory(3 * planes.plane_bytes, huge);
  return planes;
}

zimg_image_format plane_format(int32_t w, int32_t h) {
  zimg_image_format f;
  zimg_image_format_default(&f, ZIMG_API_VERSION);
  f.width = w;
  f.height = h;
  f.pixel_type = ZIMG_PIXEL_WORD;
  f.color_family = ZIMG_COLOR_YUV;
  f.depth = 16;
  f.pixel_range = ZIMG_RANGE_FULL;
  return f;
}

struct ZIMG_JOB {
  ZIMG_PLANES src, dst;
  zimg_filter_graph* graph = nullptr;
  FRAME_MEMORY tmp;
  ~ZIMG_JOB() { zimg_filter_graph_free(graph); }

  void run() const {
    zimg_image_buffer_const in{};
    zimg_image_buffer out{};
    in.version = out.version = ZIMG_API_VERSION;
    for (int p = 0; p < 3; ++p) {
      in.plane[p] = {src.plane(p), static_cast<ptrdiff_t>(src.stride), ZIMG_BUFFER_MAX};
      out.plane[p] = {dst.plane(p), static_cast<ptrdiff_t>(dst.stride), ZIMG_BUFFER_MAX};
    }
    if (zimg_filter_graph_process(graph, &in, &out, tmp.get(), nullptr, nullptr, nullptr, nullptr))
      throw std::runtime_error("zimg failed");
  }
};

std::shared_ptr<ZIMG_JOB> make_job(const JOB& job, const std::vector<PIXEL_YC>& source, bool huge,
                                   zimg_cpu_type_e cpu) {
  auto z = std::make_shared<ZIMG_JOB>();
  z->src = make_planes(job.sw, job.sh, huge);
  z->dst = make_planes(job.tw, job.th, huge);
  for (int32_t y = 0; y < job.sh; ++y) {
    for (int32_t x = 0; x < job.sw; ++x) {
      const PIXEL_YC& p = source[static_cast<size_t>(y) * job.sw + x];
      const size_t at = y * z->src.stride / sizeof(uint16_t) + x;
      z->src.plane(0)[at] = static_cast<uint16_t>(p.y + 32768);
      z->src.plane(1)[at] = static_cast<uint16_t>(p.cb + 32768);
      z->src.plane(2)[at] = static_cast<uint16_t>(p.cr + 32768);
    }
  }
  const zimg_image_format in = plane_format(job.sw, job.sh);
  const zimg_image_format out = plane_format(job.tw, job.th);
  zimg_graph_builder_params params;
  zimg_graph_builder_params_default(&params, ZIMG_API_VERSION);
  params.resample_filter = ZIMG_RESIZE_SPLINE36;
  params.resample_filter_uv = ZIMG_RESIZE_SPLINE36;
  params.cpu_type = cpu;
  z->graph = zimg_filter_graph_build(&in, &out, &params);
  if (!z->graph) throw std::runtime_error("zimg could not build its graph");
  size_t tmp = 0;
  zimg_filter_graph_get_tmp_size(z->graph, &tmp);
  z->tmp = frame_memory(tmp ? tmp : 1, false);
  return z;
}

}  // namespace

std::vector<CELL> zimg_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                             const BENCH_OPTIONS& options) {
  std::vector<CELL> cells;
  const struct {
    const char* name;
    zimg_cpu_type_e cpu;
  } kinds[] = {{"zimg SPLINE36", ZIMG_CPU_AUTO}, {"zimg SPLINE36 512-bit", ZIMG_CPU_AUTO_64B}};
  for (const auto& kind : kinds) {
    auto z = make_job(job, source, options.huge_pages, kind.cpu);
    CELL c;
    c.implementation = kind.name;
    c.frame = [z] { z->run(); };
    cells.push_back(std::move(c));
  }
  return cells;
}
