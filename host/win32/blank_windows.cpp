#include "host/win32/blank_windows.h"

namespace mandeldive {

namespace {

const char kBlankClass[] = "BlankWndClass";
const char kBlankTitle[] = "";

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
      {{r.left, r.top, r.right, r.bottom},
       (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

// The saver's window rides in the creation parameters.
LRESULT OnNcCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  SetWindowLongPtrA(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  return DefWindowProcA(window, message, wParam, lParam);
}

// A press goes to the saver's window, whose procedure kills the animation
// timer and posts the quit message.
LRESULT OnButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND saver = reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (saver != nullptr) SendMessageA(saver, message, wParam, lParam);
  return 0;
}

LRESULT CALLBACK BlankWndProc(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return OnNcCreate(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return OnButton(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

std::vector<MonitorArea> ListMonitors() {
  std::vector<MonitorArea> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor,
                      reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

bool RegisterBlankClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = BlankWndProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kBlankClass;
  return RegisterClassA(&windowClass) != 0;
}

std::vector<HWND> CreateBlankWindows(HINSTANCE instance, HWND saverWindow,
                                     const std::vector<ScreenRect>& areas) {
  std::vector<HWND> windows;
  for (const ScreenRect& r : areas) {
    HWND window = CreateWindowExA(0, kBlankClass, kBlankTitle, WS_POPUP, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top,
                                  nullptr, nullptr, instance, saverWindow);
    if (window != nullptr) windows.push_back(window);
  }
  return windows;
}

}  // namespace mandeldive
