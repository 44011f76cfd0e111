// The escape kernel on NEON (AdvSIMD): two double lanes, which every aarch64
// CPU has. Masks are the compare results, all ones or all zeros per lane,
// kept as doubles like SSE2's; the bit select does the blend.
#include <arm_neon.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct NeonLanes {
  using V = float64x2_t;
  using M = V;
  using Record = simd::BlendedRecord<NeonLanes>;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 2;
  static V Bits(uint64x2_t v) { return vreinterpretq_f64_u64(v); }
  static uint64x2_t Mask(M m) { return vreinterpretq_u64_f64(m); }
  static V Broadcast(double v) { return vdupq_n_f64(v); }
  static V Word(std::int64_t v) {
    return vreinterpretq_f64_s64(vdupq_n_s64(v));
  }
  static M AllLanes() { return Bits(vdupq_n_u64(~std::uint64_t{0})); }
  static M NoLanes() { return Bits(vdupq_n_u64(0)); }
  static bool Empty(M mask) {
    return vmaxvq_u32(vreinterpretq_u32_f64(mask)) == 0;
  }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? vld1q_f64(p)
                       : vsetq_lane_f64(p[0], vdupq_n_f64(1000.0), 0);
  }
  // vmulq and vaddq are separate instructions; the build's -ffp-contract=off
  // keeps the compiler from fusing them into vfmaq, which rounds once.
  static V Mul(V a, V b) { return vmulq_f64(a, b); }
  static V Add(V a, V b) { return vaddq_f64(a, b); }
  static V Sub(V a, V b) { return vsubq_f64(a, b); }
  static M Greater(V a, V b) { return Bits(vcgtq_f64(a, b)); }
  static M And(M a, M b) { return Bits(vandq_u64(Mask(a), Mask(b))); }
  static M AndNot(M a, M b) {
    return Bits(vbicq_u64(Mask(b), Mask(a)));
  }  // ~a & b
  static M Or(M a, M b) { return Bits(vorrq_u64(Mask(a), Mask(b))); }
  static V Blend(V a, V b, M mask) { return vbslq_f64(Mask(mask), b, a); }
  static void StoreWords(std::int64_t* p, V v) {
    vst1q_s64(p, vreinterpretq_s64_f64(v));
  }
  // Each result is two halves: inside and zr, then zi and n.
  static void StoreResults(EscapeResult* out, V inside, V zr, V zi, V n) {
    double* words = reinterpret_cast<double*>(out);
    vst1q_f64(words, vzip1q_f64(inside, zr));
    vst1q_f64(words + 2, vzip1q_f64(zi, n));
    vst1q_f64(words + 4, vzip2q_f64(inside, zr));
    vst1q_f64(words + 6, vzip2q_f64(zi, n));
  }
};

}  // namespace

void EscapeKernelNeon(double x, const double* ys, std::int32_t count,
                      EscapeResult* out) {
  simd::EscapeKernelOf<NeonLanes, 2, 3>(x, ys, count, out);
}

}  // namespace mandeldive
