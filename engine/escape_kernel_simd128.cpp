// The escape kernel on WebAssembly SIMD (simd128): two double lanes. Only
// the plain proposal's operations: no relaxed SIMD, whose fused or
// implementation-chosen results could differ from one browser to another.
// Masks are the compare results, all ones or all zeros per lane, as on
// SSE2 and NEON; the bit select does the blend.
#include <wasm_simd128.h>

#include "engine/escape_kernel_simd.h"

namespace mandeldive {

namespace {

struct Simd128Lanes {
  using V = v128_t;
  using M = V;
  using Record = simd::BlendedRecord<Simd128Lanes>;
  static constexpr bool kMaskedArithmetic = false;
  static constexpr int kWidth = 2;
  static V Broadcast(double v) { return wasm_f64x2_splat(v); }
  static V Word(std::int64_t v) { return wasm_i64x2_splat(v); }
  static M AllLanes() { return wasm_i64x2_splat(-1); }
  static M NoLanes() { return wasm_i64x2_splat(0); }
  static bool Empty(M mask) { return !wasm_v128_any_true(mask); }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? wasm_v128_load(p) : wasm_f64x2_make(p[0], 1000.0);
  }
  // f64x2.mul and f64x2.add round each result; WebAssembly has no fused
  // form outside relaxed SIMD, which this build does not enable.
  static V Mul(V a, V b) { return wasm_f64x2_mul(a, b); }
  static V Add(V a, V b) { return wasm_f64x2_add(a, b); }
  static V Sub(V a, V b) { return wasm_f64x2_sub(a, b); }
  static M Greater(V a, V b) { return wasm_f64x2_gt(a, b); }
  static M And(M a, M b) { return wasm_v128_and(a, b); }
  static M AndNot(M a, M b) { return wasm_v128_andnot(b, a); }  // ~a & b
  static M Or(M a, M b) { return wasm_v128_or(a, b); }
  static V Blend(V a, V b, M mask) { return wasm_v128_bitselect(b, a, mask); }
  static void StoreWords(std::int64_t* p, V v) { wasm_v128_store(p, v); }
  // Each result is two halves: inside and zr, then zi and n.
  static void StoreResults(EscapeResult* out, V inside, V zr, V zi, V n) {
    double* words = reinterpret_cast<double*>(out);
    wasm_v128_store(words, wasm_i64x2_shuffle(inside, zr, 0, 2));
    wasm_v128_store(words + 2, wasm_i64x2_shuffle(zi, n, 0, 2));
    wasm_v128_store(words + 4, wasm_i64x2_shuffle(inside, zr, 1, 3));
    wasm_v128_store(words + 6, wasm_i64x2_shuffle(zi, n, 1, 3));
  }
};

}  // namespace

void EscapeKernelSimd128(double x, const double* ys, std::int32_t count,
                         EscapeResult* out) {
  simd::EscapeKernelOf<Simd128Lanes, 2, 3>(x, ys, count, out);
}

}  // namespace mandeldive
