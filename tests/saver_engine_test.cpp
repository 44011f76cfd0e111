// The grid, the counting and the full view.
#include "engine/saver_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

TEST(SaverEngine, StartsEmptyWithOnlyTheCaption) {
  SaverEngine engine;
  EXPECT_STREQ(engine.caption, MANDELDIVE_CAPTION_TEXT);
  EXPECT_EQ(engine.window, nullptr);
  EXPECT_EQ(engine.zoomLevel, 0);
  EXPECT_EQ(engine.phase, PhaseRender);
  EXPECT_EQ(engine.columns, 0);
  EXPECT_EQ(engine.mandelbrotColor, 0u);
  EXPECT_EQ(engine.backgroundColor, 0u);
  EXPECT_EQ(engine.step, 0.0);
}

struct GridCase {
  std::int32_t width, height;
  std::int32_t cellWidth, cellHeight;
  std::int32_t index;  // a cell and its expected rectangle
  Rect rect;
};

const GridCase kGrids[] = {
    {800, 600, 160, 120, 0, {0, 0, 160, 120}},
    {800, 600, 160, 120, 80, {640, 480, 800, 600}},
    {800, 600, 160, 120, 13, {320, 60, 480, 180}},
    {1366, 768, 273, 153, 80, {1088, 608, 1361, 761}},
    {1366, 768, 273, 153, 9, {0, 76, 273, 229}},
    {4, 3, 0, 0, 80, {0, 0, 0, 0}},
    {9, 4, 1, 0, 40, {0, 0, 1, 0}},
    {11, 12, 2, 2, 44, {8, 4, 10, 6}},
};

TEST(LayoutCells, GridsForSeveralWindows) {
  for (const GridCase& g : kGrids) {
    SCOPED_TRACE(testing::Message() << g.width << "x" << g.height);
    MemorySurface surface(g.width, g.height);
    SaverEngine engine;
    engine.Attach(&surface);
    EXPECT_EQ(engine.columns, 9);
    EXPECT_EQ(engine.rows, 9);
    EXPECT_EQ(engine.cellWidth, g.cellWidth);
    EXPECT_EQ(engine.cellHeight, g.cellHeight);
    const Rect& r = engine.cells[g.index].rect;
    EXPECT_EQ(r.left, g.rect.left);
    EXPECT_EQ(r.top, g.rect.top);
    EXPECT_EQ(r.right, g.rect.right);
    EXPECT_EQ(r.bottom, g.rect.bottom);
  }
}

TEST(CountPixel, ClosedBoundsCountGridLinesInUpToThreeCellsPerAxis) {
  MemorySurface surface(800, 600);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.ClearCounts();
  engine.CountPixel(160, 120);  // x in columns 0,1,2; y in rows 0,1,2
  int touched = 0;
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const int count = engine.cells[r * 9 + c].count;
      const bool expected = c <= 2 && r <= 2;
      EXPECT_EQ(count, expected ? 1 : 0) << r << "," << c;
      touched += count;
    }
  }
  EXPECT_EQ(touched, 9);

  engine.ClearCounts();
  engine.CountPixel(800, 600);  // the corner one pixel beyond the client
  EXPECT_EQ(engine.cells[80].count, 1);
  engine.CountPixel(801, 0);
  engine.CountPixel(-1, 5);
  int total = 0;
  for (const Cell& cell : engine.cells) total += cell.count;
  EXPECT_EQ(total, 1);
}

TEST(CountPixel, PixelOutsideEveryCellAtAnOddWidthCountsNowhere) {
  MemorySurface surface(1366, 768);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.ClearCounts();
  engine.CountPixel(1365, 100);
  for (const Cell& cell : engine.cells) EXPECT_EQ(cell.count, 0);
  engine.CountPixel(1361, 761);
  EXPECT_EQ(engine.cells[80].count, 1);
}

TEST(CountPixel, CellsOfSizeZeroCountPixelsOnTheirEdges) {
  MemorySurface surface(4, 4);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.ClearCounts();
  engine.CountPixel(0, 0);
  for (const Cell& cell : engine.cells) EXPECT_EQ(cell.count, 1);
  engine.CountPixel(1, 0);
  for (const Cell& cell : engine.cells) EXPECT_EQ(cell.count, 1);
}

TEST(Attach, ResetsOnlyTheZoomLevel) {
  MemorySurface surface(800, 600);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.phase = PhaseZoom;
  engine.zoomLevel = 5;
  engine.originX = 0.25;
  engine.step = 1e-6;
  engine.cells[3].count = 77;
  engine.Attach(&surface);
  EXPECT_EQ(engine.zoomLevel, 1);
  EXPECT_EQ(engine.phase, PhaseZoom);
  EXPECT_EQ(engine.originX, 0.25);
  EXPECT_EQ(engine.step, 1e-6);
  EXPECT_EQ(engine.cells[3].count, 77);
  engine.Detach();
  EXPECT_EQ(engine.window, nullptr);
}

struct ViewCase {
  std::int32_t width, height;
  double step;
};

const ViewCase kViews[] = {
    {800, 600, 4.0 / 800},     // 0.005 both ways; the tie goes to height
    {1920, 1080, 3.0 / 1080},  // wide: the height decides
    {600, 800, 4.0 / 600},     // tall: the width decides
    {1, 1, 4.0},
    {0, 600, 3.0 / 600},  // a side of zero constrains nothing
    {800, 0, 4.0 / 800},
    {0, 0, 4.0},
};

TEST(ResetView, TighterFitAndAlwaysFinite) {
  for (const ViewCase& v : kViews) {
    SCOPED_TRACE(testing::Message() << v.width << "x" << v.height);
    MemorySurface surface(v.width, v.height);
    SaverEngine engine;
    engine.Attach(&surface);
    engine.ResetView();
    EXPECT_EQ(engine.originX, -2.5);
    EXPECT_EQ(engine.originY, -1.5);
    EXPECT_EQ(engine.step, v.step);
    EXPECT_TRUE(std::isfinite(engine.step));
  }
}

}  // namespace
}  // namespace mandeldive
