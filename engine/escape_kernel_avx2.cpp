// The escape kernel on AVX2: four lanes. Built with -mavx2 alone (no FMA:
// a fused multiply-add would round differently from the scalar oracle).
#include <immintrin.h>

#include "engine/counted_runs.h"

namespace mandeldive {

namespace {

struct Avx2Lanes {
  using V = __m256d;
  using M = V;
  static constexpr int kWidth = 4;
  static V Broadcast(double v) { return _mm256_set1_pd(v); }
  static V LoadPoints(const double* p, std::int32_t n) {
    if (n >= kWidth) return _mm256_loadu_pd(p);
    double padded[kWidth] = {1000.0, 1000.0, 1000.0, 1000.0};
    for (std::int32_t k = 0; k < n; ++k) padded[k] = p[k];
    return _mm256_loadu_pd(padded);
  }
  static V Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static M Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static std::uint32_t Bits(M m) {
    return static_cast<std::uint32_t>(_mm256_movemask_pd(m));
  }
};

}  // namespace

void EscapeKernelAvx2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::CountedRuns<Avx2Lanes, simd::kCountedVectors>(x, ys, count, out);
}

}  // namespace mandeldive
