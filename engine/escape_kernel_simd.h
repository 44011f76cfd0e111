// The vector escape kernel, written once over a lane type. Each instruction
// set's file includes this with its own Lanes and is built with only that
// set enabled. Every lane does exactly the scalar operations of
// EscapeIterate in the same order (squares reused, never fused), so results
// are identical; several independent vectors are kept in flight to hide the
// latency of the dependent multiply-add chain.
//
// Lanes provides: vector type V and mask type M, kWidth, Broadcast, Load,
// Store, Mul, Add, Sub, AllLanes, NoLanes, Greater (a mask), And, AndNot
// (~a & b), Or, Blend (mask ? b : a), Any; and kMaskedArithmetic, with
// MaskedAdd (mask ? a + b : src), NotGreater (mask & !(a > b)), and a
// per-lane counter bumped where the mask is set (MaskedCount, StoreCount)
// when set.
#ifndef MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
#define MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_

#include <cstdint>

#include "engine/escape_iterate.h"
#include "engine/escape_kernel.h"

namespace mandeldive {
namespace simd {

// Lanes with masked arithmetic (AVX-512) freeze a lane the moment it
// escapes: its z stops changing, so its last iterate is simply what is left,
// and a per-lane counter gives n. Lanes without it (SSE2, AVX2) keep
// iterating escaped lanes and record an escape as it happens, behind a
// branch that is rarely taken. (Refilling a finished vector with new pixels
// at once was tried and measured slower: the state no longer stays in
// registers.)
template <typename Lanes, int kInFlight>
void EscapeBatch(double x, const double* ys, std::int32_t count, EscapeResult* out) {
  using V = typename Lanes::V;
  using M = typename Lanes::M;
  constexpr int kWidth = Lanes::kWidth;
  constexpr int kBlock = kWidth * kInFlight;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  const V one = Lanes::Broadcast(1.0);
  const V two = Lanes::Broadcast(2.0);
  for (std::int32_t base = 0; base < count; base += kBlock) {
    // Lanes past the end get a point far outside, which escapes at once.
    double padded[kBlock];
    for (int k = 0; k < kBlock; ++k) padded[k] = base + k < count ? ys[base + k] : 1000.0;
    V ci[kInFlight], zr[kInFlight], zi[kInFlight], zr2[kInFlight], zi2[kInFlight];
    V outZr[kInFlight], outZi[kInFlight], outN[kInFlight];
    M active[kInFlight];
#pragma GCC unroll 8
    for (int u = 0; u < kInFlight; ++u) {
      ci[u] = Lanes::Load(padded + u * kWidth);
      zr[u] = cr;
      zi[u] = ci[u];
      zr2[u] = Lanes::Mul(zr[u], zr[u]);
      zi2[u] = Lanes::Mul(zi[u], zi[u]);
      outZr[u] = outZi[u] = outN[u] = Lanes::Broadcast(0.0);
      active[u] = Lanes::AllLanes();
    }
    // Iterate k = 1..99: z_k from z_(k-1), then the test on |z_k|.
    for (int k = 1; k < kInsideCount; ++k) {
      M anyActive = Lanes::NoLanes();
#pragma GCC unroll 8
      for (int u = 0; u < kInFlight; ++u) {
        // 2 x zr, exactly; a multiply, because the adders are the busier.
        const V twoZr = Lanes::Mul(two, zr[u]);
        if constexpr (Lanes::kMaskedArithmetic) {
          zr[u] = Lanes::MaskedAdd(zr[u], active[u], Lanes::Sub(zr2[u], zi2[u]), cr);
          zi[u] = Lanes::MaskedAdd(zi[u], active[u], Lanes::Mul(twoZr, zi[u]), ci[u]);
          zr2[u] = Lanes::Mul(zr[u], zr[u]);
          zi2[u] = Lanes::Mul(zi[u], zi[u]);
          outN[u] = Lanes::MaskedCount(outN[u], active[u]);
          active[u] = Lanes::NotGreater(active[u], Lanes::Add(zr2[u], zi2[u]), limit);
        } else {
          const V nextZr = Lanes::Add(Lanes::Sub(zr2[u], zi2[u]), cr);
          const V nextZi = Lanes::Add(Lanes::Mul(twoZr, zi[u]), ci[u]);
          zr[u] = nextZr;
          zi[u] = nextZi;
          zr2[u] = Lanes::Mul(nextZr, nextZr);
          zi2[u] = Lanes::Mul(nextZi, nextZi);
          const M escaped =
              Lanes::And(Lanes::Greater(Lanes::Add(zr2[u], zi2[u]), limit), active[u]);
          if (Lanes::Any(escaped)) {
            outZr[u] = Lanes::Blend(outZr[u], nextZr, escaped);
            outZi[u] = Lanes::Blend(outZi[u], nextZi, escaped);
            outN[u] = Lanes::Blend(outN[u], Lanes::Broadcast(static_cast<double>(k)), escaped);
            active[u] = Lanes::AndNot(escaped, active[u]);
          }
        }
        anyActive = Lanes::Or(anyActive, active[u]);
      }
      if (!Lanes::Any(anyActive)) break;
    }
    double storedZr[kBlock], storedZi[kBlock], storedN[kBlock], inside[kBlock];
    std::int64_t counts[kBlock];
#pragma GCC unroll 8
    for (int u = 0; u < kInFlight; ++u) {
      if constexpr (Lanes::kMaskedArithmetic) {
        // A frozen lane holds its escaping iterate; one still active, the
        // 99th. Its counter says after how many iterates it stopped.
        Lanes::Store(storedZr + u * kWidth, zr[u]);
        Lanes::Store(storedZi + u * kWidth, zi[u]);
        Lanes::StoreCount(counts + u * kWidth, outN[u]);
      } else {
        // Lanes still active are inside, with the 99th iterate.
        Lanes::Store(storedZr + u * kWidth, Lanes::Blend(outZr[u], zr[u], active[u]));
        Lanes::Store(storedZi + u * kWidth, Lanes::Blend(outZi[u], zi[u], active[u]));
        Lanes::Store(storedN + u * kWidth, outN[u]);
      }
      Lanes::Store(inside + u * kWidth, Lanes::Blend(Lanes::Broadcast(0.0), one, active[u]));
    }
    const std::int32_t valid = count - base < kBlock ? count - base : kBlock;
    for (std::int32_t k = 0; k < valid; ++k) {
      const bool in = inside[k] != 0.0;
      std::int32_t n = kInsideCount;
      if (!in) {
        if constexpr (Lanes::kMaskedArithmetic) {
          n = static_cast<std::int32_t>(counts[k]);
        } else {
          n = static_cast<std::int32_t>(storedN[k]);
        }
      }
      out[base + k] = {in, storedZr[k], storedZi[k], n};
    }
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
