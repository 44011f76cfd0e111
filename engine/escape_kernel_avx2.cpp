// The escape kernel on AVX2: four lanes. Built with -mavx2 alone (no FMA:
// a fused multiply-add would round differently from the scalar oracle).
#include <immintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Avx2Lanes {
  using V = __m256d;
  using M = V;
  using Record = simd::BlendedRecord<Avx2Lanes>;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 4;
  static V Broadcast(double v) { return _mm256_set1_pd(v); }
  static V Word(std::int64_t v) {
    return _mm256_castsi256_pd(_mm256_set1_epi64x(v));
  }
  static M AllLanes() { return _mm256_castsi256_pd(_mm256_set1_epi32(-1)); }
  static M NoLanes() { return _mm256_setzero_pd(); }
  static bool Empty(M mask) { return _mm256_movemask_pd(mask) == 0; }
  static V LoadPoints(const double* p, std::int32_t n) {
    if (n >= kWidth) return _mm256_loadu_pd(p);
    double padded[kWidth] = {1000.0, 1000.0, 1000.0, 1000.0};
    for (std::int32_t k = 0; k < n; ++k) padded[k] = p[k];
    return _mm256_loadu_pd(padded);
  }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static M Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static M And(M a, M b) { return _mm256_and_pd(a, b); }
  static M AndNot(M a, M b) { return _mm256_andnot_pd(a, b); }  // ~a & b
  static M Or(M a, M b) { return _mm256_or_pd(a, b); }
  static V Blend(V a, V b, M mask) { return _mm256_blendv_pd(a, b, mask); }
  static void StoreWords(std::int64_t* p, V v) {
    _mm256_storeu_pd(reinterpret_cast<double*>(p), v);
  }
  // Lanes 0 and 2, then 1 and 3, paired up within the 128-bit halves, then
  // the halves gathered into whole results.
  static void StoreResults(EscapeResult* out, V inside, V zr, V zi, V n) {
    double* words = reinterpret_cast<double*>(out);
    const V evenFront = _mm256_unpacklo_pd(inside, zr);  // in0 zr0 | in2 zr2
    const V evenBack = _mm256_unpacklo_pd(zi, n);        // zi0 n0  | zi2 n2
    const V oddFront = _mm256_unpackhi_pd(inside, zr);   // in1 zr1 | in3 zr3
    const V oddBack = _mm256_unpackhi_pd(zi, n);         // zi1 n1  | zi3 n3
    _mm256_storeu_pd(words, _mm256_permute2f128_pd(evenFront, evenBack, 0x20));
    _mm256_storeu_pd(words + 4,
                     _mm256_permute2f128_pd(oddFront, oddBack, 0x20));
    _mm256_storeu_pd(words + 8,
                     _mm256_permute2f128_pd(evenFront, evenBack, 0x31));
    _mm256_storeu_pd(words + 12,
                     _mm256_permute2f128_pd(oddFront, oddBack, 0x31));
  }
};

}  // namespace

void EscapeKernelAvx2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::EscapeKernelOf<Avx2Lanes, 2, 3>(x, ys, count, out);
}

}  // namespace mandeldive
