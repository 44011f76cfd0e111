#include "host/win32/monitor_cover.h"

#include <gtest/gtest.h>

#include <vector>

namespace mandeldive {

// How GoogleTest shows a rectangle in a failure: found by argument lookup.
void PrintTo(const ScreenRect& r, std::ostream* out) {
  *out << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}

namespace {

TEST(BlankMonitorRects, EveryMonitorButThePrimaryOne) {
  const ScreenRect primary = {0, 0, 800, 600};
  struct {
    const char* layout;
    std::vector<MonitorArea> monitors;
    std::vector<ScreenRect> blanks;
  } const cases[] = {
      {"one monitor", {{primary, true}}, {}},
      {"none reported", {}, {}},
      {"right of the primary",
       {{primary, true}, {{800, 0, 1440, 480}, false}},
       {{800, 0, 1440, 480}}},
      {"left of the primary, listed first",
       {{{-640, 0, 0, 480}, false}, {primary, true}},
       {{-640, 0, 0, 480}}},
      {"above and below",
       {{primary, true},
        {{0, -768, 1024, 0}, false},
        {{100, 600, 740, 1080}, false}},
       {{0, -768, 1024, 0}, {100, 600, 740, 1080}}},
      {"a mirror of the primary", {{primary, true}, {primary, false}}, {}},
      {"a smaller mirror inside the saver's window",
       {{primary, true}, {{0, 0, 640, 480}, false}},
       {}},
      {"two mirrored secondaries",
       {{primary, true},
        {{800, 0, 1600, 600}, false},
        {{800, 0, 1600, 600}, false}},
       {{800, 0, 1600, 600}}},
      {"an empty monitor", {{primary, true}, {{800, 0, 800, 600}, false}}, {}},
      {"overlapping the primary in part",
       {{primary, true}, {{400, 0, 1200, 600}, false}},
       {{400, 0, 1200, 600}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlankMonitorRects(c.monitors, primary), c.blanks) << c.layout;
  }
}

// The saver is aware of each monitor's own scale, so monitors come in
// device pixels, whatever their scale factors: each window covers its
// monitor's pixels exactly, and each engine is sized in them.
TEST(BlankMonitorRects, MixedScalesInDevicePixels) {
  struct {
    const char* layout;
    ScreenRect primary;
    std::vector<MonitorArea> monitors;
    std::vector<ScreenRect> others;
  } const cases[] = {
      {"a 4K primary at 200%, a 1080p one at 100% to its right",
       {0, 0, 3840, 2160},
       {{{0, 0, 3840, 2160}, true}, {{3840, 0, 5760, 1080}, false}},
       {{3840, 0, 5760, 1080}}},
      {"a 1440p one at 150% left of a 1080p primary at 125%, lower down",
       {0, 0, 1920, 1080},
       {{{-2560, 300, 0, 1740}, false}, {{0, 0, 1920, 1080}, true}},
       {{-2560, 300, 0, 1740}}},
      {"a 1080p mirror of a 4K primary",
       {0, 0, 3840, 2160},
       {{{0, 0, 3840, 2160}, true}, {{0, 0, 1920, 1080}, false}},
       {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlankMonitorRects(c.monitors, c.primary), c.others) << c.layout;
  }
}

// A mirror counts as covered only when the saver's window holds all of it:
// a larger one shows desktop beyond the window's edges.
TEST(BlankMonitorRects, ASecondaryWiderThanTheSaversWindowIsBlanked) {
  const std::vector<MonitorArea> monitors = {{{0, 0, 800, 600}, true},
                                             {{0, 0, 1024, 768}, false}};
  EXPECT_EQ(BlankMonitorRects(monitors, {0, 0, 800, 600}),
            (std::vector<ScreenRect>{{0, 0, 1024, 768}}));
}

}  // namespace
}  // namespace mandeldive
