// The escape kernel on AVX2: four lanes. Built with -mavx2 alone (no FMA:
// a fused multiply-add would round differently from the scalar oracle).
#include <immintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Avx2Lanes {
  using V = __m256d;
  using M = V;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 4;
  static V Broadcast(double v) { return _mm256_set1_pd(v); }
  static M AllLanes() { return _mm256_castsi256_pd(_mm256_set1_epi32(-1)); }
  static M NoLanes() { return _mm256_setzero_pd(); }
  static V Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static V And(V a, V b) { return _mm256_and_pd(a, b); }
  static V AndNot(V a, V b) { return _mm256_andnot_pd(a, b); }  // ~a & b
  static V Or(V a, V b) { return _mm256_or_pd(a, b); }
  static V Blend(V a, V b, V mask) { return _mm256_blendv_pd(a, b, mask); }
  static bool Any(V mask) { return _mm256_movemask_pd(mask) != 0; }
};

}  // namespace

void EscapeKernelAvx2(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  // Vectors in flight: as many as the registers hold (measured: more
  // only spill), fewer on 32-bit x86, which has eight vector registers.
  constexpr int kInFlight = sizeof(void*) == 8 ? 5 : 3;
  simd::EscapeBatch<Avx2Lanes, kInFlight>(x, ys, count, out);
}

}  // namespace mandeldive
