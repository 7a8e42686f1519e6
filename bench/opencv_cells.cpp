// OpenCV's INTER_CUBIC (Keys kernel) on CV_16SC3, the engine's own pixel
// layout, on one and on two threads.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>
#include <memory>

#include "buffers.h"
#include "cells.h"

std::vector<CELL> opencv_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                               const BENCH_OPTIONS& options) {
  struct IMAGES {
    FRAME_MEMORY src_memory, dst_memory;
    cv::Mat src, dst;
  };
  auto m = std::make_shared<IMAGES>();
  const size_t in_stride = aligned_stride(sizeof(PIXEL_YC) * job.sw);
  const size_t out_stride = aligned_stride(sizeof(PIXEL_YC) * job.tw);
  m->src_memory = frame_memory(in_stride * job.sh, options.huge_pages);
  m->dst_memory = frame_memory(out_stride * job.th, options.huge_pages);
  m->src = cv::Mat(job.sh, job.sw, CV_16SC3, m->src_memory.get(), in_stride);
  m->dst = cv::Mat(job.th, job.tw, CV_16SC3, m->dst_memory.get(), out_stride);
  for (int32_t y = 0; y < job.sh; ++y)
    std::memcpy(m->src.ptr(y), source.data() + static_cast<size_t>(y) * job.sw,
                sizeof(PIXEL_YC) * job.sw);

  std::vector<CELL> cells;
  for (int threads : {1, 2}) {
    CELL c;
    c.implementation = "OpenCV INTER_CUBIC";
    c.threads = threads;
    c.before_batch = [threads] { cv::setNumThreads(threads); };
    c.frame = [m] { cv::resize(m->src, m->dst, m->dst.size(), 0, 0, cv::INTER_CUBIC); };
    cells.push_back(std::move(c));
  }
  return cells;
}
