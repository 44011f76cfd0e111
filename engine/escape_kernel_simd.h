// What the vector escape kernels share. Each instruction set's file defines
// its Lanes (a vector type V of kWidth doubles, a mask type M, and the
// operations its design names) and runs one of three designs over them:
//
//  - counted_runs.h (SSE2, AVX2): escaped lanes run on, and each lane's
//    result is read back from its last pass's row when the run is done;
//  - escape_runs.h (simd128): escaped lanes run on, and each escape is
//    written out behind a branch as it happens;
//  - frozen_runs.h (NEON): a lane is frozen where it escapes by a select,
//    with no branch until the whole run is done;
//  - masked_stream.h (AVX-512): masked arithmetic freezes lanes for free.
//
// In every design each lane does exactly the scalar operations of
// EscapeIterate in the same order (squares reused, never fused), so the
// results are identical bit for bit; several independent vectors are kept
// in flight to hide the latency of the dependent multiply-add chain. The
// doubling in 2 zr zi is zr + zr or 2 x zr, both exact and equal.
#ifndef MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
#define MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/escape_iterate.h"
#include "engine/escape_kernel.h"

// Per-vector code must be inlined where it is written out, so that each
// vector's state stays in registers.
#define MANDELDIVE_INLINE __attribute__((always_inline))

namespace mandeldive {
namespace simd {

// Results are stored as four 64-bit words each: inside (0 or 1, so the
// bool reads true or false and the padding is 0), zr, zi, and n (a small
// positive number, so its upper half, padding, is 0).
static_assert(sizeof(EscapeResult) == 32 && offsetof(EscapeResult, zr) == 8 &&
                  offsetof(EscapeResult, zi) == 16 &&
                  offsetof(EscapeResult, n) == 24,
              "EscapeResult is stored as four 64-bit words");

// Calls f(std::integral_constant<int, i>()) for i = 0 .. N-1: per-vector
// code with constant indices, so that arrays of vectors become registers.
template <typename F, int... I>
MANDELDIVE_INLINE inline void ForEachOf(F& f,
                                        std::integer_sequence<int, I...>) {
  (f(std::integral_constant<int, I>()), ...);
}
template <int N, typename F>
MANDELDIVE_INLINE inline void ForEach(F&& f) {
  ForEachOf(f, std::make_integer_sequence<int, N>());
}

// Stores one vector's results, the first `left` of its lanes when the
// column ends inside it. Lanes provides StoreResults (kWidth whole results
// from vectors of 64-bit words) and StoreWords.
template <typename Lanes>
MANDELDIVE_INLINE inline void StoreVectorResults(
    EscapeResult* out, std::int32_t left, typename Lanes::V inside,
    typename Lanes::V zr, typename Lanes::V zi, typename Lanes::V n) {
  constexpr std::int32_t kWidth = Lanes::kWidth;
  if (left >= kWidth) {
    Lanes::StoreResults(out, inside, zr, zi, n);
    return;
  }
  std::int64_t words[4][kWidth];
  Lanes::StoreWords(words[0], inside);
  Lanes::StoreWords(words[1], zr);
  Lanes::StoreWords(words[2], zi);
  Lanes::StoreWords(words[3], n);
  for (std::int32_t k = 0; k < left; ++k) {
    EscapeResult& result = out[k];
    result.inside = words[0][k] != 0;
    std::memcpy(&result.zr, &words[1][k], sizeof(double));
    std::memcpy(&result.zi, &words[2][k], sizeof(double));
    result.n = static_cast<std::int32_t>(words[3][k]);
  }
}

// The points ys[first ..] of one vector, of the column's count: those past
// the end are a point far outside, which escapes at once. Lanes provides
// LoadPoints (n of kWidth lanes from memory, 1 <= n, the rest padding).
template <typename Lanes>
MANDELDIVE_INLINE inline typename Lanes::V LoadVector(const double* ys,
                                                      std::int32_t count,
                                                      std::int32_t first) {
  const std::int32_t left = count - first;
  if (left <= 0) return Lanes::Broadcast(1000.0);
  return Lanes::LoadPoints(ys + first,
                           left < Lanes::kWidth ? left : Lanes::kWidth);
}

// z_1 of the points c = cr + i y, from z_0 = c as the oracle has it:
// (cr cr - y y) + cr and (cr + cr) y + y.
template <typename Lanes>
MANDELDIVE_INLINE inline void FirstIterate(typename Lanes::V cr,
                                           typename Lanes::V y,
                                           typename Lanes::V* zr,
                                           typename Lanes::V* zi) {
  *zr = Lanes::Add(Lanes::Sub(Lanes::Mul(cr, cr), Lanes::Mul(y, y)), cr);
  *zi = Lanes::Add(Lanes::Mul(Lanes::Add(cr, cr), y), y);
}

// Starts the run of kVectors vectors from ys[first] on: z_1 of each in zr
// and zi, their imaginary parts in ci; returns the run's lanes that hold a
// point, a bit a lane.
template <typename Lanes, int kVectors>
MANDELDIVE_INLINE inline std::uint32_t StartRun(
    typename Lanes::V cr, const double* ys, std::int32_t count,
    std::int32_t first, double* ci, typename Lanes::V (&zr)[kVectors],
    typename Lanes::V (&zi)[kVectors]) {
  constexpr std::int32_t kWidth = Lanes::kWidth;
  constexpr std::int32_t kRun = kVectors * kWidth;
  static_assert(kRun <= 32, "a run's lanes are the bits of one word");
  ForEach<kVectors>([&](auto vc) MANDELDIVE_INLINE {
    constexpr int v = decltype(vc)::value;
    const typename Lanes::V y =
        LoadVector<Lanes>(ys, count, first + v * kWidth);
    Lanes::Store(ci + v * kWidth, y);
    FirstIterate<Lanes>(cr, y, &zr[v], &zi[v]);
  });
  const std::int32_t left = count - first;
  return left >= kRun ? ~0u >> (32 - kRun) : (1u << left) - 1u;
}

}  // namespace simd
}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_KERNEL_SIMD_H_
