// The escape kernel on SSE2: two lanes, the baseline of every x86 target.
#include <emmintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Sse2Lanes {
  using V = __m128d;
  using M = V;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 2;
  static V Broadcast(double v) { return _mm_set1_pd(v); }
  static M AllLanes() { return _mm_castsi128_pd(_mm_set1_epi32(-1)); }
  static M NoLanes() { return _mm_setzero_pd(); }
  static V Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static V Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static V And(V a, V b) { return _mm_and_pd(a, b); }
  static V AndNot(V a, V b) { return _mm_andnot_pd(a, b); }  // ~a & b
  static V Or(V a, V b) { return _mm_or_pd(a, b); }
  static V Blend(V a, V b, V mask) {
    return _mm_or_pd(_mm_and_pd(mask, b), _mm_andnot_pd(mask, a));
  }
  static bool Any(V mask) { return _mm_movemask_pd(mask) != 0; }
};

}  // namespace

void EscapeKernelSse2(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  // Vectors in flight: as many as the registers hold (measured: more
  // only spill), fewer on 32-bit x86, which has eight vector registers.
  constexpr int kInFlight = sizeof(void*) == 8 ? 6 : 3;
  simd::EscapeBatch<Sse2Lanes, kInFlight>(x, ys, count, out);
}

}  // namespace mandeldive
