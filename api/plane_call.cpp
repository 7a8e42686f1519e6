// morvane_resize_plane: codes of one depth through the engine's int16 samples
// (sample_codes.h) and back.
#include <cstring>
#include <initializer_list>
#include <new>
#include <vector>

#include "call_checks.h"
#include "engine_call.h"
#include "morvane.h"
#include "sample_codes.h"

namespace {

bool known_depth(int depth) { return depth == 8 || depth == 10 || depth == 12 || depth == 16; }

uint32_t code_at(const unsigned char* row, int32_t x, int depth) {
  if (depth == 8) return row[x];
  uint16_t code;
  std::memcpy(&code, row + 2 * static_cast<size_t>(x), sizeof code);
  return code;
}

void put_code(unsigned char* row, int32_t x, int depth, uint16_t code) {
  if (depth == 8)
    row[x] = static_cast<unsigned char>(code);
  else
    std::memcpy(row + 2 * static_cast<size_t>(x), &code, sizeof code);
}

}  // namespace

extern "C" int morvane_resize_plane(const void* source, ptrdiff_t source_stride, int source_width,
                                    int source_height, void* target, ptrdiff_t target_stride,
                                    int target_width, int target_height, int depth,
                                    const morvane_options* options) {
  if (!known_depth(depth)) return MORVANE_ERROR_DEPTH;
  const int bytes = depth == 8 ? 1 : 2;
  const IMAGE_ARGS from{source, source_stride, source_width, source_height, bytes, 1};
  const IMAGE_ARGS to{target, target_stride, target_width, target_height, bytes, 1};
  for (int status :
       {check_image(from), check_image(to), check_apart(from, to), check_options(options)})
    if (status != MORVANE_OK) return status;

  std::vector<int16_t> in, out;
  try {
    in.resize(static_cast<size_t>(source_width) * static_cast<size_t>(source_height));
    out.resize(static_cast<size_t>(target_width) * static_cast<size_t>(target_height));
  } catch (const std::bad_alloc&) {
    return MORVANE_ERROR_MEMORY;
  }
  const SAMPLE_SCALE scale = sample_scale(depth);
  const auto* s = static_cast<const unsigned char*>(source);
  for (int32_t y = 0; y < source_height; ++y)
    for (int32_t x = 0; x < source_width; ++x)
      in[static_cast<size_t>(y) * source_width + x] =
          code_to_sample(code_at(s + y * source_stride, x, depth), scale);

  const PLANE_JOB job{PLANE{in.data(), source_width, source_height, source_width, 1},
                      PLANE{out.data(), target_width, target_height, target_width, 1},
                      own_grid(source_width, target_width), own_grid(source_height, target_height)};
  if (const int status = run_plane_jobs(&job, 1, options_or_defaults(options));
      status != MORVANE_OK)
    return status;

  auto* t = static_cast<unsigned char*>(target);
  for (int32_t y = 0; y < target_height; ++y)
    for (int32_t x = 0; x < target_width; ++x)
      put_code(t + y * target_stride, x, depth,
               sample_to_code(out[static_cast<size_t>(y) * target_width + x], scale));
  return MORVANE_OK;
}
