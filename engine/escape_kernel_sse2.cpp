// The escape kernel on SSE2: two lanes, the baseline of every x86 target.
#include <emmintrin.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Sse2Lanes {
  using V = __m128d;
  using M = V;
  using Record = simd::BlendedRecord<Sse2Lanes>;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 2;
  static V Broadcast(double v) { return _mm_set1_pd(v); }
  static V Word(std::int64_t v) { return _mm_castsi128_pd(_mm_set1_epi64x(v)); }
  static M AllLanes() { return _mm_castsi128_pd(_mm_set1_epi32(-1)); }
  static M NoLanes() { return _mm_setzero_pd(); }
  static bool Empty(M mask) { return _mm_movemask_pd(mask) == 0; }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? _mm_loadu_pd(p) : _mm_set_pd(1000.0, p[0]);
  }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static M Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static M And(M a, M b) { return _mm_and_pd(a, b); }
  static M AndNot(M a, M b) { return _mm_andnot_pd(a, b); }  // ~a & b
  static M Or(M a, M b) { return _mm_or_pd(a, b); }
  static V Blend(V a, V b, M mask) {
    return _mm_or_pd(_mm_and_pd(mask, b), _mm_andnot_pd(mask, a));
  }
  static void StoreWords(std::int64_t* p, V v) {
    _mm_storeu_pd(reinterpret_cast<double*>(p), v);
  }
  // Each result is two halves: inside and zr, then zi and n.
  static void StoreResults(EscapeResult* out, V inside, V zr, V zi, V n) {
    double* words = reinterpret_cast<double*>(out);
    _mm_storeu_pd(words, _mm_unpacklo_pd(inside, zr));
    _mm_storeu_pd(words + 2, _mm_unpacklo_pd(zi, n));
    _mm_storeu_pd(words + 4, _mm_unpackhi_pd(inside, zr));
    _mm_storeu_pd(words + 6, _mm_unpackhi_pd(zi, n));
  }
};

}  // namespace

void EscapeKernelSse2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::EscapeKernelOf<Sse2Lanes, 2, 3>(x, ys, count, out);
}

}  // namespace mandeldive
