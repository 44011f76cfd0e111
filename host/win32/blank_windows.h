// The plain black windows that hide every monitor besides the primary one
// while the saver runs full screen.
#ifndef MANDELDIVE_HOST_WIN32_BLANK_WINDOWS_H_
#define MANDELDIVE_HOST_WIN32_BLANK_WINDOWS_H_

#include <windows.h>

#include <vector>

#include "host/win32/monitor_cover.h"

namespace mandeldive {

// Every monitor the system reports, with its primary flag.
std::vector<MonitorArea> ListMonitors();

// Registers the blank windows' class: black background, arrow cursor.
bool RegisterBlankClass(HINSTANCE instance);

// Creates, hidden, one borderless top-level popup for each of `areas`. A
// blank window draws nothing but its background and has no engine; a mouse
// button press on it is handed to `saverWindow`, so it ends the saver as a
// press there does. They are not owned by the saver's window, so that the
// saver's window, shown after them, stays above any that overlaps it. A
// window that cannot be made is left out: the saver runs on without it.
std::vector<HWND> CreateBlankWindows(HINSTANCE instance, HWND saverWindow,
                                     const std::vector<ScreenRect>& areas);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_BLANK_WINDOWS_H_
