// The escape kernel on AVX-512F: eight lanes, with masked arithmetic, so a
// lane that has escaped is frozen where it stands at no extra cost. The
// iterations a lane stays in are counted in a general register (BMI2 pdep
// spreads the eight mask bits into eight byte counters), which leaves the
// vector pipes to the arithmetic and a register free for one more slot.
// pdep is a one-cycle-throughput instruction on every CPU with AVX-512; only
// older AMD parts, which have no AVX-512, run it slowly.
#include <immintrin.h>

#include "engine/masked_stream.h"

namespace mandeldive {

namespace {

// Byte k of the tally counts the iterates lane k was still in for: at most
// 99, so the bytes never carry into each other.
struct TallyRecord {
  std::uint64_t tally;

  static void Start(TallyRecord* record) { record->tally = 0; }
  static void Tally(TallyRecord* record, __mmask8 in) {
#if defined(__x86_64__)
    record->tally += _pdep_u64(in, 0x0101010101010101ull);
#else
    // 32-bit x86 has no 64-bit pdep: each half of the mask is spread alone.
    record->tally += _pdep_u32(in & 0xFu, 0x01010101u) |
                     static_cast<std::uint64_t>(_pdep_u32(in >> 4, 0x01010101u))
                         << 32;
#endif
  }
  static void Results(const TallyRecord& record, __mmask8 in, __m512d zr,
                      __m512d zi, __m512d* inside, __m512d* resultZr,
                      __m512d* resultZi, __m512d* n) {
    const __m512i counts = _mm512_maskz_cvtepu8_epi64(
        0xFF, _mm_set_epi64x(0, static_cast<long long>(record.tally)));
    *inside =
        _mm512_castsi512_pd(_mm512_maskz_mov_epi64(in, _mm512_set1_epi64(1)));
    *resultZr = zr;
    *resultZi = zi;
    *n = _mm512_castsi512_pd(
        _mm512_mask_mov_epi64(counts, in, _mm512_set1_epi64(kInsideCount)));
  }
};

struct Avx512Lanes {
  using V = __m512d;
  using M = __mmask8;
  using Record = TallyRecord;
  static constexpr int kWidth = 8;
  static V Broadcast(double v) { return _mm512_set1_pd(v); }
  static M AllLanes() { return 0xFF; }
  static M NoLanes() { return 0; }
  static bool Empty(M mask) { return mask == 0; }
  static M Or(M a, M b) { return static_cast<M>(a | b); }
  static V LoadPoints(const double* p, std::int32_t n) {
    const M present = n >= kWidth ? 0xFF : static_cast<M>((1u << n) - 1);
    return _mm512_mask_loadu_pd(_mm512_set1_pd(1000.0), present, p);
  }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static V MaskedAdd(V src, M mask, V a, V b) {
    return _mm512_mask_add_pd(src, mask, a, b);
  }
  // !(a > b) is true for a NaN too, as the scalar sqrt(m) > 2 is false.
  static M StillIn(M mask, V a, V b) {
    return _mm512_mask_cmp_pd_mask(mask, a, b, _CMP_NGT_UQ);
  }

  static void StoreWords(std::int64_t* p, V v) {
    _mm512_storeu_pd(reinterpret_cast<double*>(p), v);
  }
  // Two results to a register: the first two words of each from one pair
  // of sources, the last two from the other, then a blend.
  static void StoreResults(EscapeResult* out, V inside, V zr, V zi, V n) {
#pragma GCC unroll 4
    for (int pair = 0; pair < 4; ++pair) {
      const long long a = 2 * pair, b = 2 * pair + 1;
      const V front = _mm512_permutex2var_pd(
          inside, _mm512_set_epi64(0, 0, 8 + b, b, 0, 0, 8 + a, a), zr);
      const V back = _mm512_permutex2var_pd(
          zi, _mm512_set_epi64(8 + b, b, 0, 0, 8 + a, a, 0, 0), n);
      _mm512_storeu_pd(reinterpret_cast<double*>(out + 2 * pair),
                       _mm512_mask_blend_pd(0xCC, front, back));
    }
  }
};

}  // namespace

// Three slots of two vectors on 64-bit x86, the shape measured fastest (as
// many vectors as the registers hold; more only spill); one slot of three
// on 32-bit x86, which has eight vector registers.
void EscapeKernelAvx512(double x, const double* ys, std::int32_t count,
                        EscapeResult* out) {
#if defined(__x86_64__)
  simd::MaskedStream<Avx512Lanes, 3, 2>(x, ys, count, out);
#else
  simd::MaskedStream<Avx512Lanes, 1, 3>(x, ys, count, out);
#endif
}

}  // namespace mandeldive
