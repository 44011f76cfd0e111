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
