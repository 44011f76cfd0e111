// The windows on every monitor besides the primary one in full-screen mode:
// each a plain black cover that hides the desktop, or, when every monitor is
// to dive, a dive of its own at that monitor's size.
#ifndef MANDELDIVE_HOST_WIN32_OTHER_MONITORS_H_
#define MANDELDIVE_HOST_WIN32_OTHER_MONITORS_H_

#include <windows.h>

#include <memory>
#include <vector>

#include "host/win32/monitor_cover.h"

namespace mandeldive {

// Every monitor the system reports, in device pixels, with its primary flag.
std::vector<MonitorArea> ListMonitors();

// The areas the other monitors' windows must cover beside the saver's
// window, as the system reports the monitors now.
std::vector<ScreenRect> OtherMonitorAreas(HWND saverWindow);

class OtherMonitors {
 public:
  // Covers (dives false) or dives (true); none laid out yet. Registers the
  // windows' class. A mouse button press on any of the windows is handed to
  // saverWindow, so it ends the saver as a press there does.
  OtherMonitors(HINSTANCE instance, HWND saverWindow, bool dives);
  // Destroys the windows.
  ~OtherMonitors();
  OtherMonitors(const OtherMonitors&) = delete;
  OtherMonitors& operator=(const OtherMonitors&) = delete;

  // Puts a window on each of `areas`: one already on an area stays as it
  // is, dive and all; the others are destroyed, and each new area gets a
  // new window, shown with showCommand, whose dive starts from the full
  // view 10 ms on, with the program engine's schemes. A window that cannot
  // be made is left out: the saver runs on without it. The windows are not
  // owned by the saver's window, so that it, shown after them, stays above
  // any that overlaps it.
  void Layout(const std::vector<ScreenRect>& areas, int showCommand);

  // The windows, in the order laid out, and the areas they cover.
  std::vector<HWND> windows() const;
  std::vector<ScreenRect> areas() const;

  struct Window;  // one monitor's window, and its surface and engine

 private:
  HINSTANCE instance_;
  HWND saverWindow_;
  bool dives_;
  std::vector<std::unique_ptr<Window>> windows_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_OTHER_MONITORS_H_
