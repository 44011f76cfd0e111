// Every escape kernel against the literal EscapeIterate, on every pixel of
// many views: identical flags, counts and last iterates, bit for bit.
#include "engine/escape_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

std::vector<const EscapeKernel*> AllKernels() {
  std::int32_t count = 0;
  const EscapeKernel* kernels = EscapeKernels(&count);
  std::vector<const EscapeKernel*> all;
  for (std::int32_t i = 0; i < count; ++i) all.push_back(&kernels[i]);
  return all;
}

class EscapeKernelSuite : public ::testing::TestWithParam<const EscapeKernel*> {
 protected:
  void SetUp() override {
    if (!GetParam()->supported())
      GTEST_SKIP() << "this CPU cannot run " << GetParam()->name;
  }

  // Compares the kernel with the oracle on every pixel of a view of w x h,
  // with the coordinates accumulated as the render pass does.
  void CompareView(double originX, double originY, double step, std::int32_t w,
                   std::int32_t h, std::int64_t* insideCount = nullptr) {
    std::vector<double> ys(h + 1);
    double y = originY;
    for (double& v : ys) v = (y += step);
    std::vector<EscapeResult> got(h + 1);
    double x = originX;
    for (std::int32_t i = 0; i <= w; ++i) {
      x += step;
      GetParam()->run(x, ys.data(), h + 1, got.data());
      for (std::int32_t j = 0; j <= h; ++j) {
        const EscapeResult want = EscapeIterate(x, ys[j]);
        const EscapeResult& have = got[j];
        if (have.inside != want.inside || have.n != want.n ||
            std::memcmp(&have.zr, &want.zr, sizeof(double)) != 0 ||
            std::memcmp(&have.zi, &want.zi, sizeof(double)) != 0) {
          ADD_FAILURE() << GetParam()->name << " differs at column " << i
                        << " row " << j << " (c = " << x << " + " << ys[j]
                        << "i): n " << have.n << " vs " << want.n;
          return;
        }
        if (insideCount != nullptr) *insideCount += want.inside;
      }
    }
  }
};

TEST(EscapeNorm, IsExactlyTheSquareRootTestAtTheBoundary) {
  // Walk 200 doubles either side of 4, and a spread of others.
  double m = 4.0;
  for (int i = 0; i < 200; ++i) m = std::nextafter(m, 0.0);
  for (int i = 0; i < 400; ++i, m = std::nextafter(m, 10.0)) {
    EXPECT_EQ(std::sqrt(m) > 2.0, m > kEscapeNorm) << m;
  }
  for (double v : {0.0, 1e-300, 1.0, 3.999, 4.0, 4.001, 1e10}) {
    EXPECT_EQ(std::sqrt(v) > 2.0, v > kEscapeNorm) << v;
  }
  EXPECT_EQ(kEscapeNorm, std::nextafter(4.0, 5.0));
  // The plain m > 4 would let 4 + 1 ulp escape, which the oracle keeps.
  EXPECT_FALSE(std::sqrt(kEscapeNorm) > 2.0);
}

TEST_P(EscapeKernelSuite, WorkedPointsAndEveryBatchLength) {
  const double ys[] = {0.1,  0.5,  0.0,  1.0,  0.0,  -0.3, 0.7,
                       2.5,  -1.1, 0.05, 0.25, -0.6, 1.3,  0.0001,
                       -0.0, 0.9,  0.3,  0.33, -2.0};
  const double xs[] = {-0.75, 0.3, -2.0, 2.0, 0.26};
  for (double x : xs) {
    for (std::int32_t count = 0; count <= 19; ++count) {
      std::vector<EscapeResult> got(count + 1);
      got[count].n = -7;  // must not be written
      GetParam()->run(x, ys, count, got.data());
      for (std::int32_t k = 0; k < count; ++k) {
        const EscapeResult want = EscapeIterate(x, ys[k]);
        ASSERT_EQ(got[k].inside, want.inside) << x << " " << ys[k];
        ASSERT_EQ(got[k].n, want.n) << x << " " << ys[k];
        ASSERT_EQ(got[k].zr, want.zr) << x << " " << ys[k];
        ASSERT_EQ(got[k].zi, want.zi) << x << " " << ys[k];
      }
      ASSERT_EQ(got[count].n, -7);
    }
  }
}

// Runs of points that end at every count, mixed at random: points inside
// next to ones that escape at once or late, so the vectors in flight finish
// and take new points at every offset, and the last run is partial.
TEST_P(EscapeKernelSuite, ShuffledRunsOfEveryLength) {
  // At x = -0.75: inside, inside, escapes at 1, late (the neck), between.
  const double pool[] = {0.0,  0.05, 3.0, 0.02,  0.3,
                         -0.1, -2.5, 0.6, 0.001, 1.2};
  std::uint32_t state = 12345;
  for (double x : {-0.75, -0.1, 0.3}) {
    for (std::int32_t count = 1; count <= 203; count += 3) {
      std::vector<double> ys(count);
      for (double& y : ys) {
        state = state * 1103515245u + 12345u;
        y = pool[(state >> 16) % (sizeof pool / sizeof pool[0])];
      }
      std::vector<EscapeResult> got(count + 1);
      got[count].n = -7;  // must not be written
      GetParam()->run(x, ys.data(), count, got.data());
      for (std::int32_t k = 0; k < count; ++k) {
        const EscapeResult want = EscapeIterate(x, ys[k]);
        ASSERT_EQ(got[k].inside, want.inside)
            << x << " " << ys[k] << " at " << k;
        ASSERT_EQ(got[k].n, want.n) << x << " " << ys[k] << " at " << k;
        ASSERT_EQ(std::memcmp(&got[k].zr, &want.zr, sizeof(double)), 0)
            << x << " " << ys[k];
        ASSERT_EQ(std::memcmp(&got[k].zi, &want.zi, sizeof(double)), 0)
            << x << " " << ys[k];
      }
      ASSERT_EQ(got[count].n, -7);
    }
  }
}

TEST_P(EscapeKernelSuite, FullViewsOfSeveralSizes) {
  CompareView(-2.5, -1.5, 4.0 / 320, 320, 240);
  CompareView(-2.5, -1.5, 3.0 / 1080 * 8, 1920 / 8, 1080 / 8);
  CompareView(-2.5, -1.5, 4.0 / 97, 97, 61);
}

TEST_P(EscapeKernelSuite, DeepViewsNearlyAllInside) {
  std::int64_t inside = 0;
  CompareView(-0.3, -0.2, 1e-7, 120, 90, &inside);  // inside the cardioid
  EXPECT_EQ(inside, 121 * 91);
  inside = 0;
  // On the cardioid's edge near its cusp, deep down: most points inside,
  // the rest escaping late.
  CompareView(0.2499, -0.0001, 2e-6, 100, 100, &inside);
  EXPECT_GT(inside, 100 * 100 / 2);
}

TEST_P(EscapeKernelSuite, EveryViewAlongSeveralDives) {
  for (std::int64_t second : {1LL, 1700000000LL, 2000000000LL}) {
    MemorySurface surface(160, 120);
    FixedClock clock(second);
    SaverEngine engine;
    engine.clock = &clock;
    engine.Attach(&surface);
    for (int tick = 0; tick < 23; ++tick) {
      if (engine.phase == PhaseRender) {
        CompareView(engine.zoomLevel == 1 ? -2.5 : engine.originX,
                    engine.zoomLevel == 1 ? -1.5 : engine.originY,
                    engine.zoomLevel == 1 ? 4.0 / 160 : engine.step, 160, 120);
      }
      engine.Tick();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, EscapeKernelSuite, ::testing::ValuesIn(AllKernels()),
    [](const ::testing::TestParamInfo<const EscapeKernel*>& info) {
      return std::string(info.param->name);
    });

TEST(EscapeKernels, TheBestIsTheFastestThisCpuRuns) {
  const EscapeKernel& best = BestEscapeKernel();
  EXPECT_TRUE(best.supported());
  std::int32_t count = 0;
  const EscapeKernel* kernels = EscapeKernels(&count);
  for (std::int32_t i = count - 1; i >= 0; --i) {
    if (kernels[i].supported()) {
      EXPECT_STREQ(best.name, kernels[i].name);
      break;
    }
  }
  std::printf("escape kernel on this CPU: %s\n", best.name);
}

}  // namespace
}  // namespace mandeldive
