// Rendered pictures checked against facts worked out without the renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "engine/colour_schemes.h"
#include "engine/saver_engine.h"
#include "surface/memory_surface.h"
#include "tests/plane_facts.h"

namespace mandeldive {
namespace {

using namespace testing_facts;

struct Rendered {
  explicit Rendered(std::int32_t w, std::int32_t h, std::uint32_t inside,
                    std::uint32_t escape)
      : surface(w, h) {
    engine.mandelbrotColor = inside;
    engine.backgroundColor = escape;
    engine.Attach(&surface);
    engine.ResetView();
    engine.RenderFrame();
  }
  // The plane point of a pixel; the renderer's sums differ from this
  // product by a few ulps, which the margins of the facts absorb.
  double X(std::int32_t i) const {
    return engine.originX + (i + 1) * engine.step;
  }
  double Y(std::int32_t j) const {
    return engine.originY + (j + 1) * engine.step;
  }

  MemorySurface surface;
  SaverEngine engine;
};

TEST(RenderFrame, FullViewAgreesWithKnownRegionsOfThePlane) {
  Rendered r(160, 120, /*Red*/ 2, /*Black shadow*/ 14);
  int cardioid = 0, far = 0;
  for (std::int32_t j = 0; j < 120; ++j) {
    for (std::int32_t i = 0; i < 160; ++i) {
      const double x = r.X(i), y = r.Y(j);
      const ColorRef c = r.surface.Pixel(i, j);
      if (DeepInCardioid(x, y, 1e-9) || DeepInBulb(x, y, 1e-9)) {
        EXPECT_EQ(c, 0x0000FFu) << i << "," << j;
        ++cardioid;
      } else if (FarOutside(x, y, 1e-9)) {
        EXPECT_EQ(c, 0x010101u) << i << "," << j;  // n = 1
        ++far;
      }
      // Every pixel is red or a grey of n = 1..99: no progress dot is left.
      const bool grey = RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c) &&
                        RedOf(c) >= 1 && RedOf(c) <= 99;
      EXPECT_TRUE(c == 0x0000FFu || grey) << i << "," << j;
    }
  }
  EXPECT_GT(cardioid, 1000);
  EXPECT_GT(far, 1000);
  EXPECT_EQ(r.surface.openContexts(), 0);
  EXPECT_EQ(r.surface.contextsAcquired(), 1);
}

TEST(RenderFrame, CountsMatchTheInSetPixelsOfEachCell) {
  Rendered r(200, 150, /*White*/ 1, /*Black*/ 1);
  for (std::int32_t k = 0; k < kMaxCells; ++k) {
    const Rect& rect = r.engine.cells[k].rect;
    if (rect.right >= 200 || rect.bottom >= 150)
      continue;  // edge is off-screen
    std::int32_t white = 0;
    for (std::int32_t y = rect.top; y <= rect.bottom; ++y) {
      for (std::int32_t x = rect.left; x <= rect.right; ++x) {
        white += r.surface.Pixel(x, y) == 0xFFFFFFu;
      }
    }
    EXPECT_EQ(r.engine.cells[k].count, white) << "cell " << k;
  }
}

TEST(RenderFrame, OutOfRangeSchemesLeaveDotsAndKeepCounting) {
  Rendered shown(120, 90, 0, 0);
  Rendered hidden(120, 90, 9, 15);
  for (std::int32_t j = 0; j < 90; ++j) {
    for (std::int32_t i = 0; i < 120; ++i) {
      const ColorRef expected = j % 2 == 1 ? kYellow : kWhite;
      ASSERT_EQ(hidden.surface.Pixel(i, j), expected) << i << "," << j;
    }
  }
  for (std::int32_t k = 0; k < kMaxCells; ++k) {
    EXPECT_EQ(hidden.engine.cells[k].count, shown.engine.cells[k].count) << k;
  }
  EXPECT_GT(shown.engine.cells[40].count, 0);
}

TEST(RenderFrame, OnlyOneSchemeOutOfRangeKeepsTheOtherDrawn) {
  Rendered r(120, 90, /*Black*/ 0, 15);
  int black = 0;
  for (ColorRef c : r.surface.pixels()) {
    black += c == 0;
    EXPECT_TRUE(c == 0 || c == kYellow || c == kWhite);
  }
  EXPECT_GT(black, 500);
}

TEST(RenderFrame, OnePixelHighWindowMarksRowOneAndRendersRowsZeroAndOne) {
  Rendered hidden(10, 1, 9, 15);
  for (ColorRef c : hidden.surface.pixels()) EXPECT_EQ(c, kWhite);
  // Pixel by pixel: (width + 1) columns, each with one mark at row 1 and,
  // with the schemes in range, rows 0 and 1.
  for (std::uint32_t scheme : {0u, 99u}) {
    MemorySurface surface(10, 1);
    SaverEngine engine;
    engine.mandelbrotColor = engine.backgroundColor = scheme;
    engine.Attach(&surface);
    engine.ResetView();
    engine.RenderFrameLiteral();
    EXPECT_EQ(surface.pixelCalls(), scheme == 0 ? 11 * 3 : 11);
  }
}

TEST(RenderFrame, NegativeColourValuesShowAsTheirLow24Bits) {
  // Futuristic I gives negative values wherever the escaping zr is; none may
  // be dropped, so no progress dot and no white background survives.
  Rendered r(80, 60, 0, 12);
  int negative = 0;
  for (ColorRef c : r.surface.pixels()) negative += (c & 0x800000u) != 0;
  EXPECT_GT(negative, 0);
  for (std::int32_t j = 1; j < 60; j += 2) {
    for (std::int32_t i = 0; i < 80; ++i) {
      EXPECT_NE(r.surface.Pixel(i, j), kYellow) << i << "," << j;
    }
  }
}

TEST(RenderFrame, EmptyClientAreasDrawNothingAndKeepTheViewFinite) {
  const std::int32_t sizes[][2] = {{0, 0}, {0, 40}, {40, 0}};
  for (const auto& size : sizes) {
    MemorySurface surface(size[0], size[1]);
    SaverEngine engine;
    engine.Attach(&surface);
    for (int tick = 0; tick < 30; ++tick) {
      engine.Tick();
      ASSERT_TRUE(std::isfinite(engine.originX));
      ASSERT_TRUE(std::isfinite(engine.originY));
      ASSERT_TRUE(std::isfinite(engine.step));
      ASSERT_GT(engine.step, 0.0);
    }
    EXPECT_EQ(surface.openContexts(), 0);
  }
}

TEST(RenderFrame, TwoEnginesOnTwoSurfacesShareNothing) {
  Rendered soloA(64, 48, 7, 8);
  Rendered soloB(50, 40, 3, 11);
  MemorySurface a(64, 48), b(50, 40);
  SaverEngine engineA, engineB;
  engineA.mandelbrotColor = 7;
  engineA.backgroundColor = 8;
  engineB.mandelbrotColor = 3;
  engineB.backgroundColor = 11;
  engineA.Attach(&a);
  engineB.Attach(&b);
  engineA.ResetView();
  engineB.ResetView();
  engineA.RenderFrame();
  engineB.RenderFrame();
  EXPECT_EQ(a.pixels(), soloA.surface.pixels());
  EXPECT_EQ(b.pixels(), soloB.surface.pixels());
  for (std::int32_t k = 0; k < kMaxCells; ++k) {
    EXPECT_EQ(engineA.cells[k].count, soloA.engine.cells[k].count);
    EXPECT_EQ(engineB.cells[k].count, soloB.engine.cells[k].count);
  }
}

}  // namespace
}  // namespace mandeldive
