// Masked stream: the escape kernel for lanes with masked arithmetic
// (AVX-512). A lane is frozen the moment it escapes (MaskedAdd: mask ?
// a + b : src; StillIn: mask & !(a > b)), so its last iterate is simply
// what is left, at no cost to the pass; Record::Tally counts per lane the
// iterates it was still in for, and Record::Results gives the four words
// of StoreResults from the lanes still in and their iterates.
//
// Lanes provides V, M, kWidth, Broadcast, Mul, Add, Sub, MaskedAdd,
// StillIn, AllLanes, NoLanes, Or, Empty, LoadPoints, StoreResults and
// StoreWords, and its Record.
#ifndef MANDELDIVE_ENGINE_MASKED_STREAM_H_
#define MANDELDIVE_ENGINE_MASKED_STREAM_H_

#include <cstdint>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {
namespace simd {

// kSlots slots in flight, each on a run of kVectors x kWidth consecutive
// points; a slot takes the next run as soon as all of its lanes are done,
// so it never waits for another slot's slowest point.
template <typename Lanes, int kSlots, int kVectors>
void MaskedStream(double x, const double* ys, std::int32_t count,
                  EscapeResult* out) {
  using V = typename Lanes::V;
  using M = typename Lanes::M;
  using Record = typename Lanes::Record;
  constexpr std::int32_t kWidth = Lanes::kWidth;
  // Vector v belongs to slot v / kVectors.
  constexpr int kAll = kSlots * kVectors;
  // Iterates of a point: z_1 .. z_99 are tested; still in after z_99, inside.
  constexpr std::int32_t kIterates = kInsideCount - 1;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  const V two = Lanes::Broadcast(2.0);

  V ci[kAll], zr[kAll], zi[kAll], zr2[kAll], zi2[kAll];
  M active[kAll];
  Record record[kAll];
  std::int32_t start[kSlots];  // the slot's first point; count when it has none
  std::int32_t done[kSlots];   // iterates computed for the slot's points
  std::int32_t next = 0;       // the first point no slot has taken

  // Gives slot u the next run of points, or none when all are taken: it
  // then iterates 0, which stays 0, with no lane in.
  auto fill = [&](int u) {
    start[u] = next < count ? next : count;
    done[u] = 0;
#pragma GCC unroll 8
    for (int w = 0; w < kVectors; ++w) {
      const int v = u * kVectors + w;
      const std::int32_t left = count - next;
      Record::Start(&record[v]);
      if (left <= 0) {
        ci[v] = zr[v] = zi[v] = zr2[v] = zi2[v] = Lanes::Broadcast(0.0);
        active[v] = Lanes::NoLanes();
        continue;
      }
      ci[v] = Lanes::LoadPoints(ys + next, left < kWidth ? left : kWidth);
      next += kWidth;
      zr[v] = cr;
      zi[v] = ci[v];
      zr2[v] = Lanes::Mul(zr[v], zr[v]);
      zi2[v] = Lanes::Mul(zi[v], zi[v]);
      active[v] = Lanes::AllLanes();
    }
  };

  // Writes vector v's results, the points from `first` on: a lane still in
  // is inside, with z_99.
  auto finish = [&](int v, std::int32_t first) {
    const std::int32_t left = count - first;
    if (left <= 0) return;
    V inside, resultZr, resultZi, n;
    Record::Results(record[v], active[v], zr[v], zi[v], &inside, &resultZr,
                    &resultZi, &n);
    StoreVectorResults<Lanes>(out + first, left, inside, resultZr, resultZi, n);
  };

#pragma GCC unroll 8
  for (int u = 0; u < kSlots; ++u) fill(u);
  // Bounded: every pass computes one more iterate of every busy slot, and
  // a slot takes a new run after at most kIterates of them, so the loop
  // ends within (count / (kVectors * kWidth) + kSlots) * kIterates passes.
  for (;;) {
#pragma GCC unroll 8
    for (int v = 0; v < kAll; ++v) {
      // 2 x zr, exactly, as in the oracle.
      const V twoZr = Lanes::Mul(two, zr[v]);
      zr[v] =
          Lanes::MaskedAdd(zr[v], active[v], Lanes::Sub(zr2[v], zi2[v]), cr);
      zi[v] =
          Lanes::MaskedAdd(zi[v], active[v], Lanes::Mul(twoZr, zi[v]), ci[v]);
      zr2[v] = Lanes::Mul(zr[v], zr[v]);
      zi2[v] = Lanes::Mul(zi[v], zi[v]);
      Record::Tally(&record[v], active[v]);
      active[v] = Lanes::StillIn(active[v], Lanes::Add(zr2[v], zi2[v]), limit);
    }
    bool busy = false;
#pragma GCC unroll 8
    for (int u = 0; u < kSlots; ++u) {
      ++done[u];
      M in = active[u * kVectors];
#pragma GCC unroll 8
      for (int w = 1; w < kVectors; ++w)
        in = Lanes::Or(in, active[u * kVectors + w]);
      if (start[u] < count && (Lanes::Empty(in) || done[u] == kIterates)) {
#pragma GCC unroll 8
        for (int w = 0; w < kVectors; ++w)
          finish(u * kVectors + w, start[u] + w * kWidth);
        fill(u);
      }
      busy |= start[u] < count;
    }
    if (!busy) break;
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_MASKED_STREAM_H_
