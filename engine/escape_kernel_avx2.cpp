// The escape kernel on AVX2: four lanes. Built with -mavx2 alone (no FMA:
// a fused multiply-add would round differently from the scalar oracle).
#include <immintrin.h>

#include <cstring>

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
  // Four whole results: each lane's iterate read from its own row, and the
  // four words of the lanes transposed into four results.
  template <int kStride>
  static void StoreCounted(EscapeResult* out, const std::uint8_t* passes,
                           const double* zrRows, const double* ziRows) {
    std::int32_t at[kWidth];
    for (int k = 0; k < kWidth; ++k)
      at[k] = simd::CountedRow(passes[k]) * kStride + k;
    auto lanesOf = [&at](const double* rows) {
      return _mm256_insertf128_pd(
          _mm256_castpd128_pd256(
              _mm_loadh_pd(_mm_load_sd(rows + at[0]), rows + at[1])),
          _mm_loadh_pd(_mm_load_sd(rows + at[2]), rows + at[3]), 1);
    };
    std::int32_t bytes;
    std::memcpy(&bytes, passes, sizeof bytes);
    const __m128i count = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes));
    const V inside = _mm256_castsi256_pd(_mm256_cvtepu32_epi64(
        _mm_and_si128(_mm_cmpeq_epi32(count, _mm_set1_epi32(kInsideCount - 1)),
                      _mm_set1_epi32(1))));
    const V n = _mm256_castsi256_pd(
        _mm256_cvtepu32_epi64(_mm_add_epi32(count, _mm_set1_epi32(1))));
    const V zr = lanesOf(zrRows);
    const V zi = lanesOf(ziRows);
    const V front02 = _mm256_unpacklo_pd(inside, zr);
    const V front13 = _mm256_unpackhi_pd(inside, zr);
    const V back02 = _mm256_unpacklo_pd(zi, n);
    const V back13 = _mm256_unpackhi_pd(zi, n);
    double* words = reinterpret_cast<double*>(out);
    _mm256_storeu_pd(words, _mm256_permute2f128_pd(front02, back02, 0x20));
    _mm256_storeu_pd(words + 4, _mm256_permute2f128_pd(front13, back13, 0x20));
    _mm256_storeu_pd(words + 8, _mm256_permute2f128_pd(front02, back02, 0x31));
    _mm256_storeu_pd(words + 12, _mm256_permute2f128_pd(front13, back13, 0x31));
  }
};

}  // namespace

void EscapeKernelAvx2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::CountedRuns<Avx2Lanes, simd::kCountedVectors>(x, ys, count, out);
}

}  // namespace mandeldive
