// The escape kernel on AVX-512F: eight lanes. Masks are kept as vectors of
// all-ones or zero lanes so the shared kernel reads the same on every set.
#include <immintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Avx512Lanes {
  using V = __m512d;
  static constexpr int kWidth = 8;
  static V Broadcast(double v) { return _mm512_set1_pd(v); }
  static V AllOnes() { return _mm512_castsi512_pd(_mm512_set1_epi64(-1)); }
  static V Load(const double* p) { return _mm512_loadu_pd(p); }
  static void Store(double* p, V v) { _mm512_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static __mmask8 Mask(V m) {
    return _mm512_test_epi64_mask(_mm512_castpd_si512(m), _mm512_castpd_si512(m));
  }
  static V FromMask(__mmask8 k) {
    return _mm512_castsi512_pd(
        _mm512_mask_mov_epi64(_mm512_setzero_si512(), k, _mm512_set1_epi64(-1)));
  }
  static V Greater(V a, V b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_GT_OQ)); }
  static V And(V a, V b) {
    return _mm512_castsi512_pd(_mm512_and_epi64(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
  }
  static V AndNot(V a, V b) {  // ~a & b; GCC 12 warns falsely on andnot
    const __m512i notA = _mm512_xor_epi64(_mm512_castpd_si512(a), _mm512_set1_epi64(-1));
    return _mm512_castsi512_pd(_mm512_and_epi64(notA, _mm512_castpd_si512(b)));
  }
  static V Or(V a, V b) {
    return _mm512_castsi512_pd(_mm512_or_epi64(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
  }
  static V Blend(V a, V b, V mask) { return _mm512_mask_blend_pd(Mask(mask), a, b); }
  static bool Any(V mask) { return Mask(mask) != 0; }
};

}  // namespace

void EscapeKernelAvx512(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  simd::EscapeBatch<Avx512Lanes, 4>(x, ys, count, out);
}

}  // namespace mandeldive
