#pragma once
// The solver and the evaluator of the wide kernel variants: many independent
// lines at once, one per vector lane. The walks (wide_walks.h) feed them
// samples and take their outputs; each instruction-set file supplies the
// vector operations as a policy type P (defined in that file's unnamed
// namespace) and is compiled with that instruction set's flags. Everything
// here is a template of P or sits in an unnamed namespace, so no code built
// for a wider instruction set can leak into another file.
//
// Each lane sees exactly the reference's operations in the reference's order,
// one rounding each; only the number of lines in flight differs. The loops
// over a walk's NV vectors are unrolled by pragma, so that its vectors stay in
// registers whatever the compiler's unrolling heuristics. The back
// substitution runs from the last knot down together with the evaluation, so
// the curvatures stay in registers and the outputs of a line are produced
// from the last to the first. With eight vector registers (32-bit code)
// the narrower walks keep that state in the knots instead (through_knots).
//
// A policy P provides these vector operations:
//   V, W                  vector of W float lanes (4, 8 or 16)
//   load, store           aligned float vectors
//   add, sub, mul, set1, zero
//
// Knots (where a walk keeps its knots) provide c(p), the address of the L
// forward-sweep values c_p of knot p; value(p, v), vector v of the values of
// knot p; store_value(p, v, x) where the sweep stores them; and hoist_values,
// whether the evaluation loads a knot's values once for all its outputs.
#include <cstdint>

#include "position.h"
#include "spline.h"

namespace {

// Whether the code has only the eight vector registers of 32-bit code (and
// seven general ones): in 32-bit builds, and in the native build made to
// stand in for them (MORVANE_EIGHT_REGISTERS). The lanes and the walks
// choose some shapes by it.
constexpr bool eight_vector_registers =
#if defined(__i386__) || defined(MORVANE_EIGHT_REGISTERS)
    true;
#else
    false;
#endif

// One step of the elimination: c_p from c_{p-1}, the differences
// dn = V_{p+1} - V_p and d = V_p - V_{p-1}, and the pivot reciprocal f,
// in the reference's order (r is exact for int16 samples).
template <class P>
inline typename P::V next_c(typename P::V dn, typename P::V d, typename P::V c, typename P::V six,
                            typename P::V f) {
  const typename P::V r = P::mul(P::sub(dn, d), six);
  return P::mul(P::sub(r, c), f);
}

// The forward sweep below where the knots keep their values and eight
// vector registers cannot hold a walk's samples, differences and c: each
// sample goes into its knot as it is read, and the differences are taken
// again from the knots (the same two values in the same order, so the same
// bits), which leaves only c in registers.
template <class P, int NV, class Knots, class Source>
inline void forward_sweep_through_knots(const Knots& knots, const VEC4* table, int32_t n,
                                        Source& source, typename P::V (&c)[NV]) {
  using V = typename P::V;
  constexpr int W = P::W;
  const V six = P::set1(6.0f);
  source.seek(0);
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    const V first = source.get(v);
    knots.store_value(0, v, first);  // V_0 = V_1 = s_0
    knots.store_value(1, v, first);
    c[v] = P::zero();
  }
  // Knot p from V_{p-1}, V_p (in the knots) and V_{p+1} = s_p, read here.
  for (int32_t p = 1; p < n; ++p) {
    source.seek(p);
    float* cp = knots.c(p);
    const V f = P::set1(table[p - 1].lane[0]);
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      const V next = source.get(v);
      knots.store_value(p + 1, v, next);
      const V vp = knots.value(p, v);
      const V dn = P::sub(next, vp);
      const V d = P::sub(vp, knots.value(p - 1, v));
      c[v] = next_c<P>(dn, d, c[v], six, f);
      P::store(cp + v * W, c[v]);
    }
  }
  // Knot n, whose right neighbour V_{n+1} repeats s_{n-1} = V_n.
  const V f = P::set1(table[n - 1].lane[0]);
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    const V vn = knots.value(n, v);
    knots.store_value(n + 1, v, vn);
    const V dn = P::sub(vn, vn);
    const V d = P::sub(vn, knots.value(n - 1, v));
    c[v] = next_c<P>(dn, d, c[v], six, f);
  }
}

// Whether a walk of NV vectors of P keeps its state in the knots rather
// than in registers (forward_sweep_through_knots,
// back_substitute_through_knots): with eight vector registers, in walks of
// more than one vector of up to 8 lanes. With the native build left with
// the registers of 32-bit code, on an AMD EPYC, the sse2 and avx2 walks were
// 7 to 19% faster so and the 16-lane walks up to 49% slower (their rows'
// evaluation then widens the int16 knots for every output).
template <class P, int NV>
constexpr bool through_knots() {
  return eight_vector_registers && NV > 1 && P::W <= 8;
}

// Forward sweep of one walk. The source yields the samples: seek(j) once per
// sample j, in order, then get(v) for each vector. Stores c_p of knots 1 .. n
// and, with StoreValues, the values of knots 0 .. n + 1 (otherwise they are in
// place already); leaves c_n in c.
template <class P, int NV, bool StoreValues, class Knots, class Source>
inline void forward_sweep(const Knots& knots, const VEC4* table, int32_t n, Source& source,
                          typename P::V (&c)[NV]) {
  using V = typename P::V;
  constexpr int W = P::W;
  if constexpr (StoreValues && through_knots<P, NV>()) {
    return forward_sweep_through_knots<P, NV>(knots, table, n, source, c);
  }
  const V zero = P::zero();
  const V six = P::set1(6.0f);
  V cur[NV], d[NV];
  source.seek(0);
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    cur[v] = source.get(v);
    if constexpr (StoreValues) knots.store_value(0, v, cur[v]);
    d[v] = zero;  // V_1 - V_0 = s_0 - s_0
    c[v] = zero;
  }
  // Knot p from V_{p+1}: d carries V_{p+1} - V_p into the next step as its
  // V_p - V_{p-1}, the same difference of the same two values.
  for (int32_t p = 1; p < n; ++p) {
    source.seek(p);
    float* cp = knots.c(p);
    const V f = P::set1(table[p - 1].lane[0]);
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      const V next = source.get(v);
      const V dn = P::sub(next, cur[v]);
      c[v] = next_c<P>(dn, d[v], c[v], six, f);
      if constexpr (StoreValues) knots.store_value(p, v, cur[v]);
      P::store(cp + v * W, c[v]);
      d[v] = dn;
      cur[v] = next;
    }
  }
  // Knot n, whose right neighbour V_{n+1} repeats s_{n-1}.
  const V f = P::set1(table[n - 1].lane[0]);
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    const V dn = P::sub(cur[v], cur[v]);
    c[v] = next_c<P>(dn, d[v], c[v], six, f);
    if constexpr (StoreValues) {
      knots.store_value(n, v, cur[v]);
      knots.store_value(n + 1, v, cur[v]);
    }
  }
}

// One output's weights as vectors, and the spline's value there from the
// curvatures and values of the knots on either side: the reference's
// operations in the reference's order.
template <class P>
struct OUTPUT_WEIGHTS {
  using V = typename P::V;
  V wa, wt, t, a;
  explicit OUTPUT_WEIGHTS(const POSITION& e)
      : wa(P::set1(e.wa)), wt(P::set1(e.wt)), t(P::set1(e.t)), a(P::set1(e.a)) {}
  V value(V mk, V mk1, V v0, V v1, V sixth) const {
    const V curv = P::mul(P::add(P::mul(wa, mk), P::mul(wt, mk1)), sixth);
    const V lin = P::add(P::mul(v1, t), P::mul(v0, a));
    return P::add(curv, lin);
  }
};

// The back substitution below where eight vector registers cannot hold a
// walk's curvatures and values beside the output's weights: each M_p goes
// into its knot over c_p, which nothing reads again, and the evaluation
// reads M_p and M_{p+1} from there and the values from the knots, as it
// needs them. Same operations, same order, same bits.
template <class P, int NV, class Knots, class Sink>
inline void back_substitute_through_knots(const Knots& knots, const VEC4* table, int32_t n,
                                          const POSITION* positions, int32_t m,
                                          const typename P::V (&cn)[NV], Sink& sink) {
  using V = typename P::V;
  constexpr int W = P::W;
  const V sixth = P::set1(1.0f / 6.0f);
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    P::store(knots.c(n) + v * W, cn[v]);  // M_n
    P::store(knots.c(n + 1) + v * W, P::zero());
  }
  int32_t i = m - 1;
  auto resample_at = [&](int32_t p) {
    const float* mk = knots.c(p);
    const float* mk1 = knots.c(p + 1);
    for (; i >= 0 && positions[i].k == p; --i) {
      const OUTPUT_WEIGHTS<P> weights(positions[i]);
      sink.seek(i);
      V out[NV];
#pragma GCC unroll 16
      for (int v = 0; v < NV; ++v)
        out[v] = weights.value(P::load(mk + v * W), P::load(mk1 + v * W), knots.value(p, v),
                               knots.value(p + 1, v), sixth);
      sink.put(out);
    }
  };
  resample_at(n);
  for (int32_t p = n - 1; p >= 1 && i >= 0; --p) {
    float* c = knots.c(p);
    const float* above = knots.c(p + 1);
    const V f = P::set1(table[p - 1].lane[0]);
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v)
      P::store(c + v * W, P::sub(P::load(c + v * W), P::mul(f, P::load(above + v * W))));
    if constexpr (requires { sink.passing(p); }) sink.passing(p);
    resample_at(p);
  }
  if (i >= 0) {
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) P::store(knots.c(0) + v * W, P::zero());  // M_0
    resample_at(0);
  }
}

// Back substitution from M_n = c_n down, each M_p = c_p - F[p - 1] * M_{p+1},
// and the evaluation of every output between knots p and p + 1 as soon as
// M_p is known, from output m - 1 down to 0. The sink takes output i:
// seek(i), then put(r) with its NV vectors; a sink with passing(p) hears of
// each knot p from n - 1 down to 1 as the substitution reaches it.
template <class P, int NV, class Knots, class Sink>
inline void back_substitute_and_resample(const Knots& knots, const VEC4* table, int32_t n,
                                         const POSITION* positions, int32_t m,
                                         const typename P::V (&cn)[NV], Sink& sink) {
  using V = typename P::V;
  constexpr int W = P::W;
  if constexpr (through_knots<P, NV>()) {
    return back_substitute_through_knots<P, NV>(knots, table, n, positions, m, cn, sink);
  }
  const V sixth = P::set1(1.0f / 6.0f);
  V mk[NV], mk1[NV];  // M_p and M_{p+1}
#pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    mk[v] = cn[v];
    mk1[v] = P::zero();
  }
  int32_t i = m - 1;
  auto resample_at = [&](int32_t p) {
    if (i < 0 || positions[i].k != p) return;
    [[maybe_unused]] V vk[NV], vk1[NV];
    if constexpr (Knots::hoist_values) {
#pragma GCC unroll 16
      for (int v = 0; v < NV; ++v) {
        vk[v] = knots.value(p, v);
        vk1[v] = knots.value(p + 1, v);
      }
    }
    for (; i >= 0 && positions[i].k == p; --i) {
      const OUTPUT_WEIGHTS<P> weights(positions[i]);
      sink.seek(i);
      V out[NV];
#pragma GCC unroll 16
      for (int v = 0; v < NV; ++v) {
        if constexpr (Knots::hoist_values) {
          out[v] = weights.value(mk[v], mk1[v], vk[v], vk1[v], sixth);
        } else {
          out[v] = weights.value(mk[v], mk1[v], knots.value(p, v), knots.value(p + 1, v), sixth);
        }
      }
      sink.put(out);
    }
  };
  resample_at(n);
  for (int32_t p = n - 1; p >= 1 && i >= 0; --p) {
    const float* c = knots.c(p);
    const V f = P::set1(table[p - 1].lane[0]);
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      mk1[v] = mk[v];
      mk[v] = P::sub(P::load(c + v * W), P::mul(f, mk[v]));
    }
    if constexpr (requires { sink.passing(p); }) sink.passing(p);
    resample_at(p);
  }
  if (i >= 0) {
#pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      mk1[v] = mk[v];
      mk[v] = P::zero();  // M_0
    }
    resample_at(0);
  }
}

}  // namespace
