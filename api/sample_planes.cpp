#include "sample_planes.h"

#include "abi.h"

namespace {

struct CONVERSION {
  const CODE_PLANE* planes;
  int32_t count;
  SAMPLE_SCALE scale;
  bool to_samples;
};

// Each worker converts an equal share of the rows of every plane.
HOST_ENTRY void convert_worker(int thread_id, int thread_num, void* param, void*) {
  const CONVERSION& c = *static_cast<const CONVERSION*>(param);
  for (int32_t p = 0; p < c.count; ++p) {
    const CODE_PLANE& plane = c.planes[p];
    const LINE_SHARE share = line_share(plane.height, thread_id, thread_num);
    for (int32_t y = share.first; y < share.end; ++y) {
      unsigned char* codes = plane.codes + y * plane.stride;
      int16_t* samples = plane.samples + static_cast<ptrdiff_t>(y) * plane.width;
      if (c.to_samples)
        codes_to_samples(codes, samples, plane.width, c.scale);
      else
        samples_to_codes(samples, codes, plane.width, c.scale);
    }
  }
}

}  // namespace

bool convert_planes(const CODE_PLANE* planes, int32_t count, const SAMPLE_SCALE& scale,
                    bool to_samples, const RUNNER* runner) {
  CONVERSION conversion{planes, count, scale, to_samples};
  return run_workers(runner, convert_worker, &conversion, nullptr);
}
