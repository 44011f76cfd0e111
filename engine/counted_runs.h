// Counted runs: the escape kernel with no branch but the run's end. A run
// is kVectors x kWidth consecutive points of the column. A pass of each
// vector is the iteration's arithmetic and one compare, nothing more: a
// lane that has escaped runs on (its iterates may grow to infinity or NaN,
// which nothing reads), and a word of bits, one a lane, says which lanes
// are still live. Each pass keeps the iterates it tests in a row of memory
// and counts, a byte a lane, the passes each lane was still live after;
// when no lane is live, or after z_99, each lane's result is read from the
// row its count names. Writing each escape as it happens (escape_runs.h)
// costs a mispredicted branch for nearly every distinct escape count of a
// run, and another for the loop over its lanes; x86 cores pay more for
// those than for the pass's two stores, the count and the reads at the end.
//
// Lanes provides V, M, kWidth, Broadcast, LoadPoints, Load and Store
// (unaligned: 32-bit Windows keeps its stack aligned to 4 bytes only), Mul,
// Add, Sub, Greater (a > b, false for a NaN, as the scalar sqrt(m) > 2 is),
// Bits (the mask's lanes as the low bits of a word), and
// StoreCounted<kStride>(out, passes, zrRows, ziRows): kWidth whole results
// from the lanes' counts, each lane's iterate read from row
// CountedRow(passes) of rows kStride doubles apart. A run ends soon
// after a mispredicted branch, with little else to overlap it, so building
// the results a vector at a time, not a field at a time, pays (AVX2's full
// view about 4% faster).
#ifndef MANDELDIVE_ENGINE_COUNTED_RUNS_H_
#define MANDELDIVE_ENGINE_COUNTED_RUNS_H_

#include <cstdint>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {
namespace simd {

// Vectors in flight: five fit sixteen vector registers, as 64-bit x86 has,
// with the points' imaginary parts read from memory, and cover the
// multiply-add chain's latency. A run's end costs about as much whatever
// its size, so a fifth vector beats four (AVX2 3% to 6% faster, SSE2 about
// 2%), though more lanes wait for the run's slowest point; six were no
// faster on AVX2 and slower on SSE2. 32-bit x86 has eight registers, which
// hold two.
#if defined(__i386__)
constexpr int kCountedVectors = 2;
#else
constexpr int kCountedVectors = 5;
#endif

// Spread[b]: bit k of the byte b as byte k of a word, so that adding
// Spread of a run's live lanes, eight at a time, counts per lane in bytes.
struct SpreadTable {
  std::uint64_t bytes[256];
  constexpr SpreadTable() : bytes() {
    for (int b = 0; b < 256; ++b)
      for (int k = 0; k < 8; ++k)
        if (b >> k & 1) bytes[b] |= std::uint64_t{1} << (8 * k);
  }
};
inline constexpr SpreadTable kSpread{};

// The rows: z_k is kept in row k - 1, so z_99, the iterate of a lane live
// after all 99 passes, is in the last row. A lane live after p passes
// reads row p, or the last row when p is 99.
constexpr std::int32_t kLastRow = kInsideCount - 2;
constexpr std::int32_t CountedRow(std::int32_t passes) {
  return passes < kLastRow ? passes : kLastRow;
}

// One lane's result, a field at a time, from the lane's count and its rows,
// kStride doubles apart.
template <int kStride>
MANDELDIVE_INLINE inline void StoreCountedLane(EscapeResult* out,
                                               std::int32_t passes,
                                               const double* zrRows,
                                               const double* ziRows) {
  const std::int32_t row = CountedRow(passes);
  out->inside = passes == kInsideCount - 1;
  out->zr = zrRows[row * kStride];
  out->zi = ziRows[row * kStride];
  out->n = passes + 1;
}

template <typename Lanes, int kVectors>
void CountedRuns(double x, const double* ys, std::int32_t count,
                 EscapeResult* out) {
  using V = typename Lanes::V;
  constexpr std::int32_t kWidth = Lanes::kWidth;
  constexpr std::int32_t kRun = kVectors * kWidth;
  constexpr int kWords = (kRun + 7) / 8;
  const V cr = Lanes::Broadcast(x);
  const V limit = Lanes::Broadcast(kEscapeNorm);
  alignas(64) double ci[kRun];
  // The iterate each pass tested, z_k in row k - 1, so that a lane's result
  // is read from the row of its own last pass when the run is done.
  alignas(64) double zrAt[(kInsideCount - 1) * kRun];
  alignas(64) double ziAt[(kInsideCount - 1) * kRun];

  for (std::int32_t first = 0; first < count; first += kRun) {
    const std::int32_t left = count - first;
    // Byte k of still[k / 8] counts the passes lane k was still live
    // after: an escaping lane's n is one more, and one that never escaped
    // has been live after all 99.
    std::uint64_t still[kWords] = {};
    V zr[kVectors], zi[kVectors];
    std::uint32_t live =
        StartRun<Lanes, kVectors>(cr, ys, count, first, ci, zr, zi);
    // Pass k tests z_(k+1), keeping it in row k, and makes z_(k+2):
    // bounded by the 99 iterates.
    for (std::int32_t k = 0; k < kInsideCount - 1; ++k) {
      std::uint32_t escaped = 0;
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        Lanes::Store(zrAt + k * kRun + v * kWidth, zr[v]);
        Lanes::Store(ziAt + k * kRun + v * kWidth, zi[v]);
        const V zr2 = Lanes::Mul(zr[v], zr[v]);
        const V zi2 = Lanes::Mul(zi[v], zi[v]);
        escaped |= Lanes::Bits(Lanes::Greater(Lanes::Add(zr2, zi2), limit))
                   << (v * kWidth);
        const V doubled = Lanes::Add(zr[v], zr[v]);
        zr[v] = Lanes::Add(Lanes::Sub(zr2, zi2), cr);
        zi[v] = Lanes::Add(Lanes::Mul(doubled, zi[v]),
                           Lanes::Load(ci + v * kWidth));
      });
      live &= ~escaped;
      for (int w = 0; w < kWords; ++w)
        still[w] += kSpread.bytes[(live >> (8 * w)) & 0xFF];
      if (live == 0) break;
    }
    // Byte k of the counters is lane k's count.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
                  "the counters are read as bytes");
    const std::uint8_t* passes = reinterpret_cast<const std::uint8_t*>(still);
    std::int32_t lane = 0;
    if (left >= kRun) {
      ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
        constexpr int v = decltype(vc)::value;
        Lanes::template StoreCounted<kRun>(
            out + first + v * kWidth, passes + v * kWidth, zrAt + v * kWidth,
            ziAt + v * kWidth);
      });
      lane = kRun;
    }
    // The column's last, partial run, a lane at a time.
    const std::int32_t points = left < kRun ? left : kRun;
    for (; lane < points; ++lane)
      StoreCountedLane<kRun>(out + first + lane, passes[lane], zrAt + lane,
                             ziAt + lane);
  }
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_COUNTED_RUNS_H_
