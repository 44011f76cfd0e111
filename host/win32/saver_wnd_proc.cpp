#include "host/win32/saver_wnd_proc.h"

#include "engine/program_engine.h"

namespace mandeldive {

void (*displayChangeHandler)() = nullptr;

namespace {

LRESULT OnCreate(HWND window) {
  SetTimer(window, kAnimationTimer, kFirstTickDelayMs, nullptr);
  return 0;
}

// The tick runs to its end inside this message, so a render blocks the
// loop; the next interval is counted from the end of this tick's work.
LRESULT OnTimer(HWND window) {
  if (programEngine.Tick()) {
    SetTimer(window, kAnimationTimer, kTickIntervalMs, nullptr);
  }
  return 0;
}

// The picture lives only on screen; painting just validates the window.
LRESULT OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
  return 0;
}

LRESULT OnStop(HWND window) {
  KillTimer(window, kAnimationTimer);
  PostQuitMessage(0);
  return 0;
}

}  // namespace

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_TIMER:
      return OnTimer(window);
    case WM_PAINT:
      return OnPaint(window);
    case WM_DISPLAYCHANGE:
      if (displayChangeHandler != nullptr) displayChangeHandler();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return OnStop(window);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace mandeldive
