// The escape kernel on AVX-512F: eight lanes, with masked arithmetic, so a
// lane that has escaped is frozen where it stands at no extra cost.
#include <immintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Avx512Lanes {
  using V = __m512d;
  using M = __mmask8;
  static constexpr bool kMaskedArithmetic = true;
  static constexpr int kWidth = 8;
  static V Broadcast(double v) { return _mm512_set1_pd(v); }
  static M AllLanes() { return 0xFF; }
  static M NoLanes() { return 0; }
  static V Load(const double* p) { return _mm512_loadu_pd(p); }
  static void Store(double* p, V v) { _mm512_storeu_pd(p, v); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static V MaskedAdd(V src, M mask, V a, V b) { return _mm512_mask_add_pd(src, mask, a, b); }
  // The iteration counter runs in the integer lanes of the same register,
  // off the floating-point pipes.
  static V MaskedCount(V n, M mask) {
    const __m512i counter = _mm512_castpd_si512(n);
    return _mm512_castsi512_pd(
        _mm512_mask_add_epi64(counter, mask, counter, _mm512_set1_epi64(1)));
  }
  static void StoreCount(std::int64_t* p, V n) {
    _mm512_storeu_si512(p, _mm512_castpd_si512(n));
  }
  static M Greater(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
  static M NotGreater(M mask, V a, V b) {
    return static_cast<M>(mask & ~_mm512_mask_cmp_pd_mask(mask, a, b, _CMP_GT_OQ));
  }
  static M And(M a, M b) { return static_cast<M>(a & b); }
  static M AndNot(M a, M b) { return static_cast<M>(~a & b); }
  static M Or(M a, M b) { return static_cast<M>(a | b); }
  static V Blend(V a, V b, M mask) { return _mm512_mask_blend_pd(mask, a, b); }
  static bool Any(M mask) { return mask != 0; }
};

}  // namespace

void EscapeKernelAvx512(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  // Vectors in flight: as many as the registers hold (measured: more
  // only spill), fewer on 32-bit x86, which has eight vector registers.
  constexpr int kInFlight = sizeof(void*) == 8 ? 5 : 3;
  simd::EscapeBatch<Avx512Lanes, kInFlight>(x, ys, count, out);
}

}  // namespace mandeldive
