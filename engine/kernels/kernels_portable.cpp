// Portable twin of the reference kernels, the variant "portable": the same
// operations in the same order on plain floats, one lane at a time. With the
// pass worker's MXCSR in force (scalar float math on SSE) it gives the
// reference's bits; tests use it as an independent reference, which is why it
// writes out its own position arithmetic instead of sharing position.h.
#include <cstring>

#include "kernels.h"

namespace {

using SAMPLE = float[4];

inline void load_sample(SAMPLE out, const uint8_t* p, int lanes) {
  int16_t s[4] = {0, 0, 0, 0};
  std::memcpy(s, p, 2 * lanes);
  for (int l = 0; l < 4; ++l) out[l] = static_cast<float>(s[l]);
}

// Round to nearest, ties to even, then saturate to int16.
inline int16_t to_int16(float r) {
  if (r >= 32767.0f) return 32767;
  if (r <= -32768.0f) return -32768;
  int32_t k = static_cast<int32_t>(r);           // toward zero
  const float rest = r - static_cast<float>(k);  // exact below 2^23
  if (rest > 0.5f || (rest == 0.5f && (k & 1))) ++k;
  if (rest < -0.5f || (rest == -0.5f && (k & 1))) --k;
  return static_cast<int16_t>(k);
}

template <class Fetch>
void solve_line(KNOT* knot, const VEC4* table, int32_t n, Fetch fetch) {
  SAMPLE prev, cur, next, c = {0, 0, 0, 0};
  fetch(0, prev);
  std::memcpy(cur, prev, sizeof cur);
  knot[0] = KNOT{{{prev[0], prev[1], prev[2], prev[3]}}, {{0, 0, 0, 0}}};
  for (int32_t p = 1; p <= n; ++p) {
    if (p < n)
      fetch(p, next);
    else
      std::memcpy(next, cur, sizeof next);
    const float f = table[p - 1].lane[0];
    for (int l = 0; l < 4; ++l) {
      const float r = ((next[l] - cur[l]) - (cur[l] - prev[l])) * 6.0f;
      c[l] = (r - c[l]) * f;
      knot[p].v.lane[l] = cur[l];
      knot[p].m.lane[l] = c[l];
    }
    std::memcpy(prev, cur, sizeof prev);
    std::memcpy(cur, next, sizeof cur);
  }
  for (int l = 0; l < 4; ++l) {
    knot[n + 1].v.lane[l] = cur[l];
    knot[n + 1].m.lane[l] = 0.0f;
  }
  for (int32_t p = n - 1; p >= 1; --p) {
    const float f = table[p - 1].lane[0];
    for (int l = 0; l < 4; ++l) knot[p].m.lane[l] = knot[p].m.lane[l] - f * knot[p + 1].m.lane[l];
  }
}

template <class Store>
void resample_line(const KNOT* knot, int32_t n, int32_t m, Store store) {
  if (m <= 0) return;
  const float s = static_cast<float>(n) / static_cast<float>(m);
  const float sixth = 1.0f / 6.0f;
  for (int32_t i = 0; i < m; ++i) {
    const float u = static_cast<float>(i) + 0.5f;
    const float q = s * u;
    const float x = q + 0.5f;
    const int32_t k = static_cast<int32_t>(x);
    const float kf = static_cast<float>(k);
    const float t = x - kf;
    const float a = (1.0f - x) + kf;
    const float wa = (a * a) * a - a;
    const float wt = (t * t) * t - t;
    int16_t out[4];
    for (int l = 0; l < 4; ++l) {
      const float curv = (wa * knot[k].m.lane[l] + wt * knot[k + 1].m.lane[l]) * sixth;
      const float lin = knot[k + 1].v.lane[l] * t + knot[k].v.lane[l] * a;
      out[l] = to_int16(curv + lin);
    }
    store(i, out);
  }
}

void column_groups(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  for (int32_t g = first; g < end; ++g) {
    uint8_t* base = job.frame + 8 * static_cast<intptr_t>(g);
    const int lanes = g == job.groups - 1 ? job.tail_lanes : 4;
    const intptr_t pitch = job.pitch;
    solve_line(slot, job.table, job.n,
               [&](int32_t j, SAMPLE out) { load_sample(out, base + j * pitch, lanes); });
    resample_line(slot, job.n, job.m, [&](int32_t i, const int16_t* out) {
      std::memcpy(base + i * pitch, out, 2 * lanes);
    });
  }
}

void pixel_rows(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  for (int32_t r = first; r < end; ++r) {
    uint8_t* row = job.frame + static_cast<intptr_t>(r) * job.pitch;
    solve_line(slot, job.table, job.n,
               [&](int32_t j, SAMPLE out) { load_sample(out, row + 6 * j, 3); });
    resample_line(slot, job.n, job.m, [&](int32_t i, const int16_t* out) {
      std::memcpy(row + 6 * static_cast<intptr_t>(i), out, 6);
    });
  }
}

}  // namespace

const KERNEL_VARIANT portable_kernels = {"portable", 1, false,         8,         8,
                                         1,          1, column_groups, pixel_rows};
