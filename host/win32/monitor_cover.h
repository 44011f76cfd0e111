// Which monitors need a blank window of their own in full-screen mode: pure
// logic, testable anywhere.
#ifndef MANDELDIVE_HOST_WIN32_MONITOR_COVER_H_
#define MANDELDIVE_HOST_WIN32_MONITOR_COVER_H_

#include <cstdint>
#include <vector>

namespace mandeldive {

// A rectangle in virtual-screen pixels, right and bottom exclusive. Monitors
// left of or above the primary one have negative coordinates.
struct ScreenRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

bool operator==(const ScreenRect& a, const ScreenRect& b);

struct MonitorArea {
  ScreenRect area;
  bool primary;
};

// The rectangles that blank windows must cover so that no monitor stays in
// view beside the saver's own window, which covers `saverWindow`: every
// monitor that is not the primary one, in the order given, less the empty
// ones, those wholly inside the saver's window (a mirror of the primary) and
// repeats of one already listed (two mirrored secondaries).
std::vector<ScreenRect> BlankMonitorRects(
    const std::vector<MonitorArea>& monitors, const ScreenRect& saverWindow);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_MONITOR_COVER_H_
