// Escape runs: the escape kernel with escapes written out as they happen.
// A run is kVectors x kWidth consecutive points of the column. A pass of
// each vector is the iteration's arithmetic and one compare, nothing more:
// a lane that has escaped runs on (its iterates may grow to infinity or
// NaN, which nothing reads), and a word of bits, one a lane, says which
// lanes are still live. When a pass finds a live lane escaped, a branch
// taken about once for each distinct escape count of the run writes the
// escaping iterates from memory. The run ends when no lane is live, or
// after z_99, its live lanes inside.
//
// Lanes provides V, M, kWidth, Broadcast, LoadPoints, Load and Store
// (unaligned), Mul, Add, Sub, Greater (a > b, false for a NaN, as the scalar
// sqrt(m) > 2 is), and Bits (the mask's lanes as the low bits of a word).
#ifndef MANDELDIVE_ENGINE_ESCAPE_RUNS_H_
#define MANDELDIVE_ENGINE_ESCAPE_RUNS_H_

#include <cstdint>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {
namespace simd {

// Vectors in flight: five cover the multiply-add chain's latency and fit
// the sixteen vector registers WebAssembly has as V8 compiles it on x86-64.
// Under node on an AMD EPYC (Zen 5) five ran about 10% faster than four on
// both views, as fewer runs end per point; six were no faster.
constexpr int kRunVectors = 5;

template <typename Lanes, int kVectors>
void EscapeRuns(double x, const double* ys, std::int32_t count,
                EscapeResult* out) {
  using V = typename Lanes::V;
  constexpr std::int32_t kWidth = Lanes::kWidth;
  constexpr std::int32_t kRun = kVectors * kWidth;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  alignas(64) double ci[kRun];
  alignas(64) double zrAt[kRun];
  alignas(64) double ziAt[kRun];

  for (std::int32_t first = 0; first < count; first += kRun) {
    V zr[kVectors], zi[kVectors];
    std::uint32_t live =
        StartRun<Lanes, kVectors>(cr, ys, count, first, ci, zr, zi);
    // Writes the results of the lanes in `lanes` from the iterates now in
    // zr and zi.
    auto write = [&](std::uint32_t lanes, bool inside, std::int32_t n) {
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        Lanes::Store(zrAt + v * kWidth, zr[v]);
        Lanes::Store(ziAt + v * kWidth, zi[v]);
      });
      do {
        const int lane = __builtin_ctz(lanes);
        EscapeResult& result = out[first + lane];
        result.inside = inside;
        result.zr = zrAt[lane];
        result.zi = ziAt[lane];
        result.n = n;
        lanes &= lanes - 1;
      } while (lanes != 0);
    };
    // Pass k tests z_k and makes z_(k+1): bounded by the 99 iterates.
    for (std::int32_t k = 1;; ++k) {
      std::uint32_t escaped = 0;
      V nextZr[kVectors], nextZi[kVectors];
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        const V zr2 = Lanes::Mul(zr[v], zr[v]);
        const V zi2 = Lanes::Mul(zi[v], zi[v]);
        escaped |= Lanes::Bits(Lanes::Greater(Lanes::Add(zr2, zi2), limit))
                   << (v * kWidth);
        nextZr[v] = Lanes::Add(Lanes::Sub(zr2, zi2), cr);
        nextZi[v] = Lanes::Add(Lanes::Mul(Lanes::Add(zr[v], zr[v]), zi[v]),
                               Lanes::Load(ci + v * kWidth));
      });
      escaped &= live;
      if (escaped != 0) {
        write(escaped, false, k);
        live &= ~escaped;
        if (live == 0) break;
      }
      if (k == kInsideCount - 1) {
        write(live, true, kInsideCount);
        break;
      }
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        zr[v] = nextZr[v];
        zi[v] = nextZi[v];
      });
    }
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_RUNS_H_
