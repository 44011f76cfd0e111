// The escape kernel on NEON (AdvSIMD): two double lanes, which every aarch64
// CPU has. Masks are the compare results, all ones or all zeros per lane,
// kept as doubles; a lane is frozen by bif, one instruction, so the pass
// needs no branch (frozen_runs.h). Three vectors in flight: under qemu on
// the 192 x 108 views two execute about as many instructions an iteration
// and four more, and in the pipeline model of scripts/bench three keep a
// four-pipe core (Neoverse V1) a quarter faster than two, which is enough
// for a two-pipe one (N1) to within 6%.
#include <arm_neon.h>

#include "engine/frozen_runs.h"

namespace mandeldive {

namespace {

struct NeonLanes {
  using V = float64x2_t;
  using M = V;
  static constexpr int kWidth = 2;
  static V AsLanes(uint64x2_t v) { return vreinterpretq_f64_u64(v); }
  static uint64x2_t Mask(M m) { return vreinterpretq_u64_f64(m); }
  static V Broadcast(double v) { return vdupq_n_f64(v); }
  static V Zero() { return vdupq_n_f64(0.0); }
  static V Word(std::int64_t v) {
    return vreinterpretq_f64_s64(vdupq_n_s64(v));
  }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? vld1q_f64(p)
                       : vsetq_lane_f64(p[0], vdupq_n_f64(1000.0), 0);
  }
  static V Load(const double* p) { return vld1q_f64(p); }
  static void Store(double* p, V v) { vst1q_f64(p, v); }
  // vmulq and vaddq are separate instructions; the build's -ffp-contract=off
  // keeps the compiler from fusing them into vfmaq, which rounds once.
  static V Mul(V a, V b) { return vmulq_f64(a, b); }
  static V Add(V a, V b) { return vaddq_f64(a, b); }
  static V Sub(V a, V b) { return vsubq_f64(a, b); }
  static M Greater(V a, V b) { return AsLanes(vcgtq_f64(a, b)); }
  static M AllLanes() { return AsLanes(vdupq_n_u64(~std::uint64_t{0})); }
  static M And(M a, M b) { return AsLanes(vandq_u64(Mask(a), Mask(b))); }
  static bool Full(M mask) {
    return vminvq_u32(vreinterpretq_u32_f64(mask)) != 0;
  }
  // The pass's two writes are in place: written with intrinsics, GCC puts
  // their results in fresh registers and moves each back every pass.
  static V AddMask(V tally, M mask) {
    __asm__("add %0.2d, %0.2d, %1.2d" : "+w"(tally) : "w"(mask));
    return tally;
  }
  static V Keep(M mask, V kept, V other) {  // bif: kept where mask is set
    __asm__("bif %0.16b, %1.16b, %2.16b" : "+w"(kept) : "w"(other), "w"(mask));
    return kept;
  }
  static void Outcome(M escaped, V tally, std::int32_t passes, V* inside,
                      V* n) {
    *inside = AsLanes(vbicq_u64(Mask(Word(1)), Mask(escaped)));
    const V count = vreinterpretq_f64_s64(
        vaddq_s64(vreinterpretq_s64_f64(tally), vdupq_n_s64(passes + 1)));
    *n = vbslq_f64(Mask(escaped), count, Word(kInsideCount));
  }
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
  simd::FrozenRuns<NeonLanes, 3>(x, ys, count, out);
}

}  // namespace mandeldive
