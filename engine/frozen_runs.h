// Frozen runs: the escape kernel with no branch until a run is done. A run
// is kVectors x kWidth consecutive points of the column. A lane that
// escapes keeps its escaping iterate: the pass selects the old iterate
// where the compare says escaped, and since that iterate is above the
// limit, every later pass says so again, so "escaped" is recomputed from
// the iterate alone and no mask is carried. Each lane counts the passes it
// had escaped at, from which its n follows. Per vector that is zr, zi and
// the count in registers; the imaginary parts are read from memory. Where
// a select is one instruction (NEON's bif) this is the cheapest pass; where
// it is three (SSE2's and/andnot/or, or vblendvpd on Intel cores) the
// escape runs of escape_runs.h cost less.
//
// Lanes provides V, M, kWidth, Broadcast, LoadPoints, Load and Store
// (unaligned: 32-bit Windows keeps its stack aligned to 4 bytes only), Zero,
// Mul, Add, Sub, Greater (a > b, false for a NaN), And, AllLanes, Full (every
// lane set), AddMask (64-bit integer add of the mask, -1 where set), Keep (mask
// ? kept : other), Outcome (see Finish), and StoreResults and StoreWords.
#ifndef MANDELDIVE_ENGINE_FROZEN_RUNS_H_
#define MANDELDIVE_ENGINE_FROZEN_RUNS_H_

#include <cstdint>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {
namespace simd {

template <typename Lanes>
struct FrozenVector {
  using V = typename Lanes::V;
  using M = typename Lanes::M;
  V zr, zi;
  V tally;  // minus the passes each lane had escaped at

  // z_1 of the points from ys[first] on; ci keeps their imaginary parts.
  MANDELDIVE_INLINE void Start(V cr, const double* ys, std::int32_t count,
                               std::int32_t first, double* ci) {
    const V y = LoadVector<Lanes>(ys, count, first);
    Lanes::Store(ci, y);
    FirstIterate<Lanes>(cr, y, &zr, &zi);
    tally = Lanes::Zero();
  }
  // Tests z_k and makes z_(k+1) in the lanes that have not escaped;
  // returns those that have.
  MANDELDIVE_INLINE M Pass(V cr, V limit, const double* ci) {
    const V zr2 = Lanes::Mul(zr, zr);
    const V zi2 = Lanes::Mul(zi, zi);
    const M escaped = Lanes::Greater(Lanes::Add(zr2, zi2), limit);
    tally = Lanes::AddMask(tally, escaped);
    const V nextZr = Lanes::Add(Lanes::Sub(zr2, zi2), cr);
    const V nextZi =
        Lanes::Add(Lanes::Mul(Lanes::Add(zr, zr), zi), Lanes::Load(ci));
    zr = Lanes::Keep(escaped, zr, nextZr);
    zi = Lanes::Keep(escaped, zi, nextZi);
    return escaped;
  }
  // After `passes` passes: tests the last iterate, z_99 for a lane that
  // never escaped, and writes the first `left` results. An escaped lane's
  // n is one more than the passes it had not escaped at: Outcome gives
  // escaped ? passes + tally + 1 : kInsideCount, and inside as 0 or 1.
  MANDELDIVE_INLINE void Finish(V limit, std::int32_t passes, EscapeResult* out,
                                std::int32_t left) const {
    if (left <= 0) return;
    const M escaped = Lanes::Greater(
        Lanes::Add(Lanes::Mul(zr, zr), Lanes::Mul(zi, zi)), limit);
    V inside, n;
    Lanes::Outcome(escaped, tally, passes, &inside, &n);
    StoreVectorResults<Lanes>(out, left, inside, zr, zi, n);
  }
};

template <typename Lanes, int kVectors>
void FrozenRuns(double x, const double* ys, std::int32_t count,
                EscapeResult* out) {
  using V = typename Lanes::V;
  using M = typename Lanes::M;
  constexpr std::int32_t kWidth = Lanes::kWidth;
  // z_1 comes from Start, passes test z_1 .. z_98, Finish tests z_99.
  constexpr std::int32_t kPasses = kInsideCount - 2;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  alignas(64) double ci[kVectors][kWidth];
  for (std::int32_t first = 0; first < count; first += kVectors * kWidth) {
    FrozenVector<Lanes> vec[kVectors];
    ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
      constexpr int v = decltype(vc)::value;
      vec[v].Start(cr, ys, count, first + v * kWidth, ci[v]);
    });
    std::int32_t passes = 0;
    // Two passes at a time, tested after the second: a lane frozen in the
    // first is still frozen in the second, so nothing is lost but, at the
    // end of a run, one pass of frozen lanes.
    static_assert(kPasses % 2 == 0, "the passes go in pairs");
    while (passes < kPasses) {
      passes += 2;
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        vec[v].Pass(cr, limit, ci[v]);
      });
      M all = Lanes::AllLanes();
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        all = Lanes::And(all, vec[v].Pass(cr, limit, ci[v]));
      });
      if (Lanes::Full(all)) break;
    }
    ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
      constexpr int v = decltype(vc)::value;
      vec[v].Finish(limit, passes, out + first + v * kWidth,
                    count - first - v * kWidth);
    });
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_FROZEN_RUNS_H_
