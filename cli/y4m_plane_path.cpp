#include "y4m_plane_path.h"

#include <bit>

// y4m samples deeper than 8 bits are little-endian; the library reads them
// in the machine's order.
static_assert(std::endian::native == std::endian::little);

namespace {

int32_t plane_width(const Y4M_FORMAT& f, int plane) { return plane ? chroma_width(f) : f.width; }
int32_t plane_height(const Y4M_FORMAT& f, int plane) { return plane ? chroma_height(f) : f.height; }

// Bytes before plane `plane` in a frame.
size_t plane_start(const Y4M_FORMAT& f, int plane) {
  const uint64_t luma = static_cast<uint64_t>(f.width) * f.height;
  const uint64_t chroma = static_cast<uint64_t>(chroma_width(f)) * chroma_height(f);
  return static_cast<size_t>((plane == 0 ? 0 : luma + (plane - 1) * chroma) * y4m_sample_bytes(f));
}

}  // namespace

void plane_jobs(const Y4M_FORMAT& source, const Y4M_FORMAT& target, const uint8_t* in, uint8_t* out,
                morvane_plane_job jobs[3]) {
  const int bytes = y4m_sample_bytes(source);
  for (int p = 0; p < source.planes; ++p)
    jobs[p] = morvane_plane_job{in + plane_start(source, p),
                                static_cast<ptrdiff_t>(plane_width(source, p)) * bytes,
                                plane_width(source, p),
                                plane_height(source, p),
                                out + plane_start(target, p),
                                static_cast<ptrdiff_t>(plane_width(target, p)) * bytes,
                                plane_width(target, p),
                                plane_height(target, p),
                                plane_grid(source, target, p, true),
                                plane_grid(source, target, p, false)};
}

morvane_axis plane_grid(const Y4M_FORMAT& source, const Y4M_FORMAT& target, int plane,
                        bool across) {
  const int shift = across ? source.shift_x : source.shift_y;
  const CHROMA_SITING siting = across ? source.siting_x : source.siting_y;
  const bool cosited = plane != 0 && shift != 0 && siting == CHROMA_SITING::cosited;
  return morvane_axis{cosited ? 0.25f : 0.5f, across ? source.width : source.height,
                      across ? target.width : target.height};
}
