// Every target rounds a * b + c twice, as the pictures are defined: a fused
// multiply-add rounds once and moves points across the escape test. GCC for
// aarch64 fuses by default, so a build without -ffp-contract=off fails here.
#include <gtest/gtest.h>

namespace {

// Volatile, so the compiler cannot fold the sums at build time.
volatile double a = 1.0 + 0x1p-30;
volatile double b = 1.0 - 0x1p-30;
volatile double c = -1.0;

TEST(FloatContraction, MultiplyThenAddRoundsTheProductFirst) {
  // a * b = 1 - 2^-60 exactly, which rounds to 1; fused, the sum is -2^-60.
  const double x = a, y = b, z = c;
  EXPECT_EQ(x * y + z, 0.0);
}

}  // namespace
