#include <gtest/gtest.h>

#include <vector>

#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "surface/memory_surface.h"

namespace mandeldive {
namespace {

struct Step {
  std::int32_t phase, level;
};

// The cycle from a fresh attach: render, caption, zoom at levels 1..7, then
// the render and caption of level 8.
std::vector<Step> ExpectedCycle() {
  std::vector<Step> cycle;
  for (std::int32_t level = 1; level <= 7; ++level) {
    cycle.push_back({PhaseRender, level});
    cycle.push_back({PhaseCaption, level});
    cycle.push_back({PhaseZoom, level});
  }
  cycle.push_back({PhaseRender, 8});
  cycle.push_back({PhaseCaption, 8});
  return cycle;
}

TEST(Tick, ADiveIsTheCycleTheTimingHeaderCounts) {
  EXPECT_EQ(ExpectedCycle().size(), static_cast<std::size_t>(kTicksPerDive));
}

TEST(Tick, DetachedEngineDoesNothingWhateverItsPhase) {
  for (std::int32_t phase : {PhaseRender, PhaseCaption, PhaseZoom, 7}) {
    SaverEngine engine;
    engine.phase = phase;
    engine.zoomLevel = 1;
    EXPECT_FALSE(engine.Tick());
    EXPECT_EQ(engine.phase, phase);
    EXPECT_EQ(engine.zoomLevel, 1);
    EXPECT_EQ(engine.step, 0.0);  // not even the view was reset
  }
}

TEST(Tick, FirstTickOfAFreshAttachRendersTheFullSet) {
  MemorySurface ticked(160, 120), direct(160, 120);
  SaverEngine engine, reference;
  engine.Attach(&ticked);
  reference.Attach(&direct);
  EXPECT_TRUE(engine.Tick());
  reference.ResetView();
  reference.RenderFrame();
  EXPECT_EQ(ticked.pixels(), direct.pixels());
  EXPECT_EQ(engine.phase, PhaseCaption);
  EXPECT_EQ(engine.step, 4.0 / 160);
}

TEST(Tick, WholeCycleFollowsTheTableAndReturnsToTheFullView) {
  MemorySurface surface(200, 150);
  FixedClock clock(1700000000);
  SaverEngine engine;
  engine.clock = &clock;
  engine.Attach(&surface);
  const std::vector<Step> cycle = ExpectedCycle();
  ASSERT_EQ(cycle.size(), 23u);
  double lastStep = 0;
  for (std::size_t t = 0; t < cycle.size(); ++t) {
    SCOPED_TRACE(testing::Message() << "tick " << t + 1);
    ASSERT_EQ(engine.phase, cycle[t].phase);
    ASSERT_EQ(engine.zoomLevel, cycle[t].level);
    EXPECT_TRUE(engine.Tick());
    if (cycle[t].phase == PhaseZoom) {
      EXPECT_EQ(engine.step, lastStep * 0.2);  // 40 / 200
    }
    lastStep = engine.step;
  }
  EXPECT_EQ(engine.phase, PhaseRender);
  EXPECT_EQ(engine.zoomLevel, 1);
  EXPECT_NE(engine.originX, -2.5);  // still the deepest view
  engine.Tick();
  EXPECT_EQ(engine.originX, -2.5);
  EXPECT_EQ(engine.originY, -1.5);
  EXPECT_EQ(engine.step, 4.0 / 200);
  EXPECT_EQ(surface.openContexts(), 0);
  EXPECT_EQ(surface.openFonts(), 0);
}

TEST(Tick, ReattachMidCycleKeepsThePhaseOnTheFullView) {
  MemorySurface surface(200, 150);
  FixedClock clock(42);
  SaverEngine engine;
  engine.clock = &clock;
  engine.Attach(&surface);
  for (int t = 0; t < 8; ++t) engine.Tick();  // level 3, PhaseZoom
  ASSERT_EQ(engine.zoomLevel, 3);
  ASSERT_EQ(engine.phase, PhaseZoom);
  engine.Attach(&surface);
  EXPECT_EQ(engine.zoomLevel, 1);
  EXPECT_EQ(engine.phase, PhaseZoom);
  engine.Tick();  // resets the view, then zooms from it
  EXPECT_EQ(engine.zoomLevel, 2);
  EXPECT_EQ(engine.phase, PhaseRender);
  EXPECT_EQ(engine.step, (40.0 / 200) * (4.0 / 200));
}

TEST(Tick, UnknownPhaseDoesNothingButStillCounts) {
  MemorySurface surface(50, 40);
  SaverEngine engine;
  engine.Attach(&surface);
  engine.phase = 9;
  EXPECT_TRUE(engine.Tick());
  EXPECT_EQ(engine.phase, 9);
  EXPECT_EQ(surface.contextsAcquired(), 0);
}

}  // namespace
}  // namespace mandeldive
