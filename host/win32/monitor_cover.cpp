#include "host/win32/monitor_cover.h"

#include <algorithm>

namespace mandeldive {

bool operator==(const ScreenRect& a, const ScreenRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

namespace {

bool IsEmpty(const ScreenRect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.right <= outer.right && inner.bottom <= outer.bottom;
}

}  // namespace

std::vector<ScreenRect> BlankMonitorRects(
    const std::vector<MonitorArea>& monitors, const ScreenRect& saverWindow) {
  std::vector<ScreenRect> blanks;
  for (const MonitorArea& monitor : monitors) {
    const ScreenRect& r = monitor.area;
    if (monitor.primary || IsEmpty(r) || Inside(r, saverWindow)) continue;
    if (std::find(blanks.begin(), blanks.end(), r) != blanks.end()) continue;
    blanks.push_back(r);
  }
  return blanks;
}

}  // namespace mandeldive
