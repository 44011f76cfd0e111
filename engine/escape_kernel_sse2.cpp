// The escape kernel on SSE2: two lanes, the baseline of every x86 target.
#include <emmintrin.h>

#include "engine/counted_runs.h"

namespace mandeldive {

namespace {

struct Sse2Lanes {
  using V = __m128d;
  using M = V;
  static constexpr int kWidth = 2;
  static V Broadcast(double v) { return _mm_set1_pd(v); }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? _mm_loadu_pd(p) : _mm_set_pd(1000.0, p[0]);
  }
  static V Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static M Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static std::uint32_t Bits(M m) {
    return static_cast<std::uint32_t>(_mm_movemask_pd(m));
  }
  // A field at a time: pairing two lanes' words into whole results costs
  // SSE2 more shuffles than it saves stores.
  template <int kStride>
  static void StoreCounted(EscapeResult* out, const std::uint8_t* passes,
                           const double* zrRows, const double* ziRows) {
    for (int k = 0; k < kWidth; ++k)
      simd::StoreCountedLane<kStride>(out + k, passes[k], zrRows + k,
                                      ziRows + k);
  }
};

}  // namespace

void EscapeKernelSse2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::CountedRuns<Sse2Lanes, simd::kCountedVectors>(x, ys, count, out);
}

}  // namespace mandeldive
