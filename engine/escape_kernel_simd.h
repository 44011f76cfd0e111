// The vector escape kernel, written once over a lane type. Each instruction
// set's file includes this with its own Lanes and is built with only that
// set enabled. Every lane does exactly the scalar operations of
// EscapeIterate in the same order (squares reused, never fused), so results
// are identical; several independent vectors are kept in flight to hide the
// latency of the dependent multiply-add chain.
//
// Lanes provides: type V, width, Broadcast, Load(partial), Mul, Add, Sub,
// Greater (mask as V), And, AndNot, Or, Blend(mask ? b : a), Any(mask),
// Store.
#ifndef MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
#define MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_

#include <cstdint>

#include "engine/escape_iterate.h"
#include "engine/escape_kernel.h"

namespace mandeldive {
namespace simd {

template <typename Lanes, int kInFlight>
void EscapeBatch(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  using V = typename Lanes::V;
  constexpr int kWidth = Lanes::kWidth;
  constexpr int kBlock = kWidth * kInFlight;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  for (std::int32_t base = 0; base < count; base += kBlock) {
    double padded[kBlock];
    // Lanes past the end get a point far outside, which escapes at once.
    for (int k = 0; k < kBlock; ++k) padded[k] = base + k < count ? ys[base + k] : 1000.0;
    V ci[kInFlight], zr[kInFlight], zi[kInFlight], zr2[kInFlight], zi2[kInFlight];
    V outZr[kInFlight], outZi[kInFlight], outN[kInFlight], active[kInFlight];
    for (int u = 0; u < kInFlight; ++u) {
      ci[u] = Lanes::Load(padded + u * kWidth);
      zr[u] = cr;
      zi[u] = ci[u];
      zr2[u] = Lanes::Mul(zr[u], zr[u]);
      zi2[u] = Lanes::Mul(zi[u], zi[u]);
      outZr[u] = outZi[u] = outN[u] = Lanes::Broadcast(0.0);
      active[u] = Lanes::AllOnes();
    }
    // Iterate k = 1..99: z_k from z_(k-1), then the test on |z_k|.
    for (int k = 1; k < kInsideCount; ++k) {
      const V n = Lanes::Broadcast(static_cast<double>(k));
      V stillActive = Lanes::Broadcast(0.0);
      for (int u = 0; u < kInFlight; ++u) {
        const V twoZr = Lanes::Add(zr[u], zr[u]);  // 2 x zr, exactly
        const V nextZr = Lanes::Add(Lanes::Sub(zr2[u], zi2[u]), cr);
        const V nextZi = Lanes::Add(Lanes::Mul(twoZr, zi[u]), ci[u]);
        zr[u] = nextZr;
        zi[u] = nextZi;
        zr2[u] = Lanes::Mul(nextZr, nextZr);
        zi2[u] = Lanes::Mul(nextZi, nextZi);
        const V escaped = Lanes::And(Lanes::Greater(Lanes::Add(zr2[u], zi2[u]), limit), active[u]);
        if (Lanes::Any(escaped)) {
          outZr[u] = Lanes::Blend(outZr[u], nextZr, escaped);
          outZi[u] = Lanes::Blend(outZi[u], nextZi, escaped);
          outN[u] = Lanes::Blend(outN[u], n, escaped);
          active[u] = Lanes::AndNot(escaped, active[u]);
        }
        stillActive = Lanes::Or(stillActive, active[u]);
      }
      if (!Lanes::Any(stillActive)) break;
    }
    double storedZr[kBlock], storedZi[kBlock], storedN[kBlock], inside[kBlock];
    for (int u = 0; u < kInFlight; ++u) {
      // Lanes still active are inside, with the 99th iterate.
      Lanes::Store(storedZr + u * kWidth, Lanes::Blend(outZr[u], zr[u], active[u]));
      Lanes::Store(storedZi + u * kWidth, Lanes::Blend(outZi[u], zi[u], active[u]));
      Lanes::Store(storedN + u * kWidth, outN[u]);
      Lanes::Store(inside + u * kWidth, Lanes::Blend(Lanes::Broadcast(0.0),
                                                     Lanes::Broadcast(1.0), active[u]));
    }
    const std::int32_t valid = count - base < kBlock ? count - base : kBlock;
    for (std::int32_t k = 0; k < valid; ++k) {
      const bool in = inside[k] != 0.0;
      out[base + k] = {in, storedZr[k], storedZi[k],
                       in ? kInsideCount : static_cast<std::int32_t>(storedN[k])};
    }
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
