#include <gtest/gtest.h>

#include <vector>

#include "engine/saver_engine.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

// An 800 x 600 engine on the full view with every count set to fill.
struct ZoomFixture {
  explicit ZoomFixture(std::int32_t fill, std::int64_t second = 1)
      : surface(800, 600), clock(second) {
    engine.Attach(&surface);
    engine.clock = &clock;
    engine.ResetView();
    for (Cell& cell : engine.cells) cell.count = fill;
  }
  // The index of the cell the view moved onto, from the new origin.
  int Chosen() const {
    for (int k = 0; k < kMaxCells; ++k) {
      const Rect& r = engine.cells[k].rect;
      if (engine.originX == -2.5 + r.left * 0.005 &&
          engine.originY == -1.5 + r.top * 0.005) {
        return k;
      }
    }
    return -1;
  }
  MemorySurface surface;
  FixedClock clock;
  SaverEngine engine;
};

TEST(ZoomStep, WorkedExampleMovesOntoTheCentreCell) {
  ZoomFixture f(0);
  f.engine.cells[40].count = 5000;  // left 320, top 240
  f.engine.ZoomStep();
  EXPECT_EQ(f.engine.originX, -0.8999999999999999);
  EXPECT_EQ(f.engine.originY, -0.30000000000000004);
  EXPECT_EQ(f.engine.step, 0.001);
  EXPECT_EQ(f.engine.zoomLevel, 2);
  // The yellow frame along the inside of the cell, and nothing else.
  EXPECT_EQ(f.surface.Pixel(320, 240), kYellow);
  EXPECT_EQ(f.surface.Pixel(479, 359), kYellow);
  EXPECT_EQ(f.surface.Pixel(400, 359), kYellow);
  EXPECT_EQ(f.surface.Pixel(480, 300), kWhite);
  EXPECT_EQ(f.surface.Pixel(321, 241), kWhite);
  EXPECT_EQ(f.surface.openContexts(), 0);
}

TEST(ZoomStep, ThresholdsAreStrict) {
  // A = 160 x 120 = 19200: low 1920, high 11520.
  struct {
    std::int32_t others, chosenCount;
  } const cases[] = {{1920, 1921}, {11520, 11519}, {0, 1921}, {19321, 11519}};
  for (const auto& c : cases) {
    for (std::int64_t second : {0LL, 1LL, 1700000000LL, 4102444800LL}) {
      ZoomFixture f(c.others, second);
      f.engine.cells[77].count = c.chosenCount;
      f.engine.ZoomStep();
      EXPECT_EQ(f.Chosen(), 77) << c.others << " at " << second;
    }
  }
}

TEST(ZoomStep, DrawsAsTheClassicGeneratorForSecondOne) {
  // Seed 1 draws 41, 18467, 6334: cells 41, 80 and 16 in that order.
  ZoomFixture onlySixteen(0);
  onlySixteen.engine.cells[16].count = 5000;
  onlySixteen.engine.ZoomStep();
  EXPECT_EQ(onlySixteen.Chosen(), 16);

  ZoomFixture eightyFirst(0);
  eightyFirst.engine.cells[16].count = 5000;
  eightyFirst.engine.cells[80].count = 5000;
  eightyFirst.engine.ZoomStep();
  EXPECT_EQ(eightyFirst.Chosen(), 80);

  ZoomFixture all(5000);
  all.engine.ZoomStep();
  EXPECT_EQ(all.Chosen(), 41);
}

TEST(ZoomStep, SameSecondSameCell) {
  for (std::int64_t second : {1234567LL, 1234568LL, 99LL}) {
    ZoomFixture a(5000, second), b(5000, second);
    a.engine.ZoomStep();
    b.engine.ZoomStep();
    EXPECT_EQ(a.Chosen(), b.Chosen());
    EXPECT_NE(a.Chosen(), -1);
  }
}

TEST(ZoomStep, NoQualifyingCellReturnsToLevelOneAndDrawsNothing) {
  // Below 5 pixels every cell is empty: A = 0.
  MemorySurface tiny(4, 4);
  SaverEngine engine;
  engine.Attach(&tiny);
  engine.ResetView();
  engine.RenderFrame();
  engine.zoomLevel = 4;
  const std::int64_t contexts = tiny.contextsAcquired();
  const std::vector<ColorRef> before = tiny.pixels();
  engine.ZoomStep();
  EXPECT_EQ(engine.zoomLevel, 1);
  EXPECT_EQ(engine.originX, -2.5);
  EXPECT_EQ(tiny.contextsAcquired(), contexts);
  EXPECT_EQ(tiny.pixels(), before);

  // A view wholly inside the main cardioid: every cell is full.
  MemorySurface surface(100, 80);
  SaverEngine inside;
  inside.Attach(&surface);
  inside.originX = -0.3;
  inside.originY = -0.2;
  inside.step = 1e-5;
  inside.RenderFrame();
  inside.zoomLevel = 3;
  inside.ZoomStep();
  EXPECT_EQ(inside.zoomLevel, 1);
  EXPECT_EQ(inside.originX, -0.3);
  EXPECT_EQ(inside.step, 1e-5);
}

TEST(ZoomStep, OddWidthZoomsByCellWidthOverWidth) {
  MemorySurface surface(1366, 768);
  FixedClock clock(7);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.clock = &clock;
  engine.ResetView();
  for (Cell& cell : engine.cells) cell.count = 0;
  engine.cells[80].count = 10000;  // A = 273 x 153 = 41769
  const double oldStep = engine.step;
  engine.ZoomStep();
  EXPECT_EQ(engine.originX, -2.5 + 1088 * oldStep);
  EXPECT_EQ(engine.originY, -1.5 + 608 * oldStep);
  EXPECT_EQ(engine.step, (273.0 / 1366) * oldStep);
}

}  // namespace
}  // namespace mandeldive
