// Escape-time kernels: EscapeIterate for a batch of points on one column,
// with results identical to it bit for bit, pixel for pixel. The literal
// EscapeIterate stays the oracle; the vector kernels are checked against it.
#ifndef MANDELDIVE_ENGINE_ESCAPE_KERNEL_H_
#define MANDELDIVE_ENGINE_ESCAPE_KERNEL_H_

#include <cstdint>

#include "engine/escape_iterate.h"

namespace mandeldive {

// out[k] = EscapeIterate(x, ys[k]) for k in 0..count-1.
using EscapeKernelFn = void (*)(double x, const double* ys, std::int32_t count,
                                EscapeResult* out);

struct EscapeKernel {
  const char* name;
  EscapeKernelFn run;
  bool (*supported)();  // whether this CPU can run it
};

// Every kernel built into this program, the plain one first.
const EscapeKernel* EscapeKernels(std::int32_t* count);

// The fastest kernel this CPU runs, chosen once.
const EscapeKernel& BestEscapeKernel();

// The escape test of the vector kernels: m > 4.000000000000001, the next
// double above 4. For every m >= 0 that is exactly sqrt(m) > 2 under correct
// rounding (sqrt of 4 + 1 ulp rounds back to 2), while m > 4 is not.
constexpr double kEscapeNorm = 4.000000000000001;

// The plain kernel: EscapeIterate on each point.
void EscapeKernelScalar(double x, const double* ys, std::int32_t count,
                        EscapeResult* out);

}  // namespace mandeldive

#endif  // MANDELDIVE_ENGINE_ESCAPE_KERNEL_H_
