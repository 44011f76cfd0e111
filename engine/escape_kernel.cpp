#include "engine/escape_kernel.h"

#include <cassert>

namespace mandeldive {

void EscapeKernelScalar(double x, const double* ys, std::int32_t count,
                        EscapeResult* out) {
  for (std::int32_t k = 0; k < count; ++k) out[k] = EscapeIterate(x, ys[k]);
}

#if MANDELDIVE_X86
void EscapeKernelSse2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out);
void EscapeKernelAvx2(double x, const double* ys, std::int32_t count,
                      EscapeResult* out);
void EscapeKernelAvx512(double x, const double* ys, std::int32_t count,
                        EscapeResult* out);
#endif
#if MANDELDIVE_AARCH64
void EscapeKernelNeon(double x, const double* ys, std::int32_t count,
                      EscapeResult* out);
#endif
#if MANDELDIVE_WASM
void EscapeKernelSimd128(double x, const double* ys, std::int32_t count,
                         EscapeResult* out);
#endif

namespace {

bool Always() { return true; }

#if MANDELDIVE_X86
bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
// The AVX-512 kernel counts with BMI2's pdep, which every AVX-512 CPU has.
bool HasAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("bmi2");
}
#endif

// In rising order of speed; BestEscapeKernel takes the last one supported.
// SSE2 is the baseline every x86 build is compiled for, NEON every aarch64
// build, simd128 the web build.
const EscapeKernel kKernels[] = {
    {"scalar", EscapeKernelScalar, Always},
#if MANDELDIVE_X86
    {"sse2", EscapeKernelSse2, Always},
    {"avx2", EscapeKernelAvx2, HasAvx2},
    {"avx512", EscapeKernelAvx512, HasAvx512},
#endif
#if MANDELDIVE_AARCH64
    {"neon", EscapeKernelNeon, Always},
#endif
#if MANDELDIVE_WASM
    {"simd128", EscapeKernelSimd128, Always},
#endif
};

const EscapeKernel& ChooseKernel() {
  assert(kKernels[0].run == EscapeKernelScalar &&
         "the plain kernel comes first: it is the one every CPU runs");
  const EscapeKernel* best = &kKernels[0];
  for (const EscapeKernel& kernel : kKernels) {
    if (kernel.supported()) best = &kernel;
  }
  return *best;
}

}  // namespace

const EscapeKernel* EscapeKernels(std::int32_t* count) {
  *count = static_cast<std::int32_t>(sizeof kKernels / sizeof kKernels[0]);
  return kKernels;
}

const EscapeKernel& BestEscapeKernel() {
  static const EscapeKernel& best = ChooseKernel();
  return best;
}

}  // namespace mandeldive
