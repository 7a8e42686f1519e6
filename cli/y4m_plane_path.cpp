#include "y4m_plane_path.h"

#include <algorithm>

namespace {

int32_t plane_width(const Y4M_FORMAT& f, int plane) { return plane ? chroma_width(f) : f.width; }
int32_t plane_height(const Y4M_FORMAT& f, int plane) { return plane ? chroma_height(f) : f.height; }

// Samples before plane `plane` in a frame.
uint64_t plane_start(const Y4M_FORMAT& f, int plane) {
  const uint64_t luma = static_cast<uint64_t>(f.width) * f.height;
  const uint64_t chroma = static_cast<uint64_t>(chroma_width(f)) * chroma_height(f);
  return plane == 0 ? 0 : luma + (plane - 1) * chroma;
}

}  // namespace

uint64_t frame_samples(const Y4M_FORMAT& f) { return plane_start(f, f.planes); }

void sample_planes(const Y4M_FORMAT& f, int16_t* samples, PLANE planes[3]) {
  for (int p = 0; p < f.planes; ++p)
    planes[p] = PLANE{samples + plane_start(f, p), plane_width(f, p), plane_height(f, p),
                      plane_width(f, p), 1};
}

void plane_to_samples(const uint8_t* frame, const Y4M_FORMAT& f, int plane,
                      const SAMPLE_SCALE& scale, const PLANE& samples, int32_t first, int32_t end) {
  const int bytes = y4m_sample_bytes(f);
  const uint8_t* start = frame + plane_start(f, plane) * bytes;
  for (int32_t y = first; y < end; ++y) {
    const uint8_t* row = start + static_cast<size_t>(y) * samples.w * bytes;
    int16_t* out = samples.samples + y * samples.pitch;
    if (bytes == 1) {
      for (int32_t x = 0; x < samples.w; ++x) out[x] = code_to_sample(row[x], scale);
    } else {
      for (int32_t x = 0; x < samples.w; ++x)
        out[x] = code_to_sample(row[2 * x] | row[2 * x + 1] << 8, scale);
    }
  }
}

void samples_to_plane(const PLANE& samples, const Y4M_FORMAT& f, int plane,
                      const SAMPLE_SCALE& scale, uint8_t* frame, int32_t first, int32_t end) {
  const int bytes = y4m_sample_bytes(f);
  uint8_t* start = frame + plane_start(f, plane) * bytes;
  for (int32_t y = first; y < end; ++y) {
    uint8_t* row = start + static_cast<size_t>(y) * samples.w * bytes;
    const int16_t* in = samples.samples + y * samples.pitch;
    for (int32_t x = 0; x < samples.w; ++x) {
      const uint16_t code = sample_to_code(in[x], scale);
      if (bytes == 1) {
        row[x] = static_cast<uint8_t>(code);
      } else {
        row[2 * x] = static_cast<uint8_t>(code);
        row[2 * x + 1] = static_cast<uint8_t>(code >> 8);
      }
    }
  }
}

AXIS_GRID plane_grid(const Y4M_FORMAT& source, const Y4M_FORMAT& target, int plane, AXIS axis) {
  const bool across = axis == AXIS::across;
  const int shift = across ? source.shift_x : source.shift_y;
  if (plane == 0 || shift == 0)
    return across ? own_grid(source.width, target.width) : own_grid(source.height, target.height);
  const CHROMA_SITING siting = across ? source.siting_x : source.siting_y;
  return AXIS_GRID{siting == CHROMA_SITING::cosited ? 0.25f : 0.5f,
                   across ? source.width : source.height, across ? target.width : target.height};
}
