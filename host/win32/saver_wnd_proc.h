// The window procedure of the saver's window, full screen or preview.
#ifndef MANDELDIVE_HOST_WIN32_SAVER_WND_PROC_H_
#define MANDELDIVE_HOST_WIN32_SAVER_WND_PROC_H_

#include <windows.h>

#include "engine/tick_timing.h"

namespace mandeldive {

constexpr UINT_PTR kAnimationTimer = 1;

// Starts the animation timer at creation, ticks the program's engine on
// every timer message, and ends the program on a mouse button press or when
// the window is destroyed. Keys and mouse motion do not end it.
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam);

// Called on WM_DISPLAYCHANGE (monitors added, removed or resized) when set:
// how the full-screen saver lays its windows out again.
extern void (*displayChangeHandler)();

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WIN32_SAVER_WND_PROC_H_
