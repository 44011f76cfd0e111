// The escape kernel on WebAssembly SIMD (simd128): two double lanes. Only
// the plain proposal's operations: no relaxed SIMD, whose fused or
// implementation-chosen results could differ from one browser to another.
// i64x2.bitmask gives the escaped lanes as bits, as movemask does on x86,
// which V8 compiles it to.
#include <wasm_simd128.h>

#include "engine/escape_runs.h"

namespace mandeldive {

namespace {

struct Simd128Lanes {
  using V = v128_t;
  using M = V;
  static constexpr int kWidth = 2;
  static V Broadcast(double v) { return wasm_f64x2_splat(v); }
  static V LoadPoints(const double* p, std::int32_t n) {
    return n >= kWidth ? wasm_v128_load(p) : wasm_f64x2_make(p[0], 1000.0);
  }
  static V Load(const double* p) { return wasm_v128_load(p); }
  static void Store(double* p, V v) { wasm_v128_store(p, v); }
  // f64x2.mul and f64x2.add round each result; WebAssembly has no fused
  // form outside relaxed SIMD, which this build does not enable.
  static V Mul(V a, V b) { return wasm_f64x2_mul(a, b); }
  static V Add(V a, V b) { return wasm_f64x2_add(a, b); }
  static V Sub(V a, V b) { return wasm_f64x2_sub(a, b); }
  static M Greater(V a, V b) { return wasm_f64x2_gt(a, b); }
  static std::uint32_t Bits(M m) { return wasm_i64x2_bitmask(m); }
};

}  // namespace

void EscapeKernelSimd128(double x, const double* ys, std::int32_t count,
                         EscapeResult* out) {
  simd::EscapeRuns<Simd128Lanes, simd::kRunVectors>(x, ys, count, out);
}

}  // namespace mandeldive
