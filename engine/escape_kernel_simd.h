// The vector escape kernel, written once over a lane type. Each instruction
// set's file includes this with its own Lanes and is built with only that
// set enabled. Every lane does exactly the scalar operations of
// EscapeIterate in the same order (squares reused, never fused), so results
// are identical; several independent vectors ("slots") are kept in flight to
// hide the latency of the dependent multiply-add chain.
//
// Each slot works on its own run of kWidth consecutive points and takes the
// next run as soon as all of its lanes are done, so a slot never waits for
// another slot's slowest point, only for the slowest of its own lanes.
//
// Lanes provides: vector type V and mask type M, kWidth, Broadcast, Mul,
// Add, Sub, AllLanes, NoLanes, Or, Empty (no lane set); LoadPoints (the first n
// of kWidth lanes from memory, the rest a point far outside, which escapes
// at once); StoreWords and StoreResults (kWidth EscapeResults from vectors
// of 64-bit words: inside as 0 or 1, zr, zi, n). Its Record follows a
// slot's escapes (Start, then Results: the four words for StoreResults from
// the lanes still in and their iterates), in one of two ways:
//
//  - kMaskedArithmetic (AVX-512): a lane is frozen the moment it escapes
//    (MaskedAdd: mask ? a + b : src; StillIn: mask & !(a > b)), so its last
//    iterate is simply what is left; Record::Tally counts per lane the
//    iterates it was still in for.
//  - otherwise (SSE2, AVX2): escaped lanes keep iterating, and an escape is
//    recorded as it happens, behind a branch that is rarely taken: Greater
//    (a mask), And, AndNot (~a & b), Blend (mask ? b : a), Word (a 64-bit
//    integer in every lane), with BlendedRecord below.
#ifndef MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
#define MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/escape_iterate.h"
#include "engine/escape_kernel.h"

namespace mandeldive {
namespace simd {

// StoreResults writes whole EscapeResults as four 64-bit words each:
// inside (0 or 1, so the bool reads true or false and the padding is 0),
// zr, zi, and n (a small positive number, so its upper half, padding, is 0).
static_assert(sizeof(EscapeResult) == 32 && offsetof(EscapeResult, zr) == 8 &&
                  offsetof(EscapeResult, zi) == 16 &&
                  offsetof(EscapeResult, n) == 24,
              "EscapeResult is stored as four 64-bit words");

// Escapes recorded as they happen, for lanes without masked arithmetic: the
// escaping iterate and its index, blended in.
template <typename Lanes>
struct BlendedRecord {
  using V = typename Lanes::V;
  using M = typename Lanes::M;
  V zr, zi, n;

  static void Start(BlendedRecord* record) {
    record->zr = record->zi = record->n = Lanes::Broadcast(0.0);
  }
  static void Escape(BlendedRecord* record, M escaped, V zr, V zi,
                     std::int32_t k) {
    record->zr = Lanes::Blend(record->zr, zr, escaped);
    record->zi = Lanes::Blend(record->zi, zi, escaped);
    record->n = Lanes::Blend(record->n, Lanes::Word(k), escaped);
  }
  static void Results(const BlendedRecord& record, M in, V zr, V zi, V* inside,
                      V* resultZr, V* resultZi, V* n) {
    *inside = Lanes::And(in, Lanes::Word(1));
    *resultZr = Lanes::Blend(record.zr, zr, in);
    *resultZi = Lanes::Blend(record.zi, zi, in);
    *n = Lanes::Blend(record.n, Lanes::Word(kInsideCount), in);
  }
};

// kSlots slots in flight, each on a run of kVectors x kWidth consecutive
// points: narrow vectors share a slot's bookkeeping among several, wide
// ones wait less for a slow lane in small slots.
template <typename Lanes, int kSlots, int kVectors>
void EscapeStream(double x, const double* ys, std::int32_t count,
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
    if (left >= kWidth) {
      Lanes::StoreResults(out + first, inside, resultZr, resultZi, n);
      return;
    }
    // The column's last, partial run: only its own points are written.
    std::int64_t words[4][kWidth];
    Lanes::StoreWords(words[0], inside);
    Lanes::StoreWords(words[1], resultZr);
    Lanes::StoreWords(words[2], resultZi);
    Lanes::StoreWords(words[3], n);
    for (std::int32_t k = 0; k < left; ++k) {
      EscapeResult& result = out[first + k];
      result.inside = words[0][k] != 0;
      std::memcpy(&result.zr, &words[1][k], sizeof(double));
      std::memcpy(&result.zi, &words[2][k], sizeof(double));
      result.n = static_cast<std::int32_t>(words[3][k]);
    }
  };

#pragma GCC unroll 8
  for (int u = 0; u < kSlots; ++u) fill(u);
  // Bounded: every pass computes one more iterate of every busy slot, and
  // a slot takes a new run after at most kIterates of them, so the loop
  // ends within (count / (kVectors * kWidth) + kSlots) * kIterates passes.
  for (;;) {
#pragma GCC unroll 8
    for (int v = 0; v < kAll; ++v) {
      // 2 x zr, exactly, as in the oracle (or zr + zr, which is the same).
      const V twoZr = Lanes::Mul(two, zr[v]);
      if constexpr (Lanes::kMaskedArithmetic) {
        zr[v] =
            Lanes::MaskedAdd(zr[v], active[v], Lanes::Sub(zr2[v], zi2[v]), cr);
        zi[v] =
            Lanes::MaskedAdd(zi[v], active[v], Lanes::Mul(twoZr, zi[v]), ci[v]);
        zr2[v] = Lanes::Mul(zr[v], zr[v]);
        zi2[v] = Lanes::Mul(zi[v], zi[v]);
        Record::Tally(&record[v], active[v]);
        active[v] =
            Lanes::StillIn(active[v], Lanes::Add(zr2[v], zi2[v]), limit);
      } else {
        zr[v] = Lanes::Add(Lanes::Sub(zr2[v], zi2[v]), cr);
        zi[v] = Lanes::Add(Lanes::Mul(twoZr, zi[v]), ci[v]);
        zr2[v] = Lanes::Mul(zr[v], zr[v]);
        zi2[v] = Lanes::Mul(zi[v], zi[v]);
        const M escaped = Lanes::And(
            Lanes::Greater(Lanes::Add(zr2[v], zi2[v]), limit), active[v]);
        if (!Lanes::Empty(escaped)) {
          Record::Escape(&record[v], escaped, zr[v], zi[v],
                         done[v / kVectors] + 1);
          active[v] = Lanes::AndNot(escaped, active[v]);
        }
      }
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

// A kernel's entry: EscapeStream in the slot shape measured fastest for
// its lanes on 64-bit x86 (Slots x Vectors: as many vectors as the
// registers hold, more only spill), and on 32-bit x86, which has eight
// vector registers, three vectors in one slot. aarch64 takes that shape
// too: it has registers for more, but every further slot adds bookkeeping
// to each pass (counted under qemu on the 192 x 108 full view, 1 x 3
// executes 17.4 instructions an iteration, 2 x 3 20.5, 2 x 2 21.9), while
// three independent chains already cover the multiply's latency.
template <typename Lanes, int kSlots, int kVectors>
void EscapeKernelOf(double x, const double* ys, std::int32_t count,
                    EscapeResult* out) {
#if defined(__x86_64__)
  EscapeStream<Lanes, kSlots, kVectors>(x, ys, count, out);
#else
  EscapeStream<Lanes, 1, 3>(x, ys, count, out);
#endif
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
