#include "host/win32/other_monitors.h"

#include <algorithm>

#include "engine/program_engine.h"
#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "host/win32/gdi_surface.h"
#include "host/win32/saver_wnd_proc.h"

namespace mandeldive {

// A dive window's engine draws on its surface from its own timer, as the
// saver's window does; a cover has neither.
struct OtherMonitors::Window {
  HWND saver = nullptr;
  HWND handle = nullptr;
  ScreenRect area = {0, 0, 0, 0};
  std::unique_ptr<GdiSurface> surface;
  std::unique_ptr<SaverEngine> engine;
};

namespace {

// Black covers, and white dives: the saver's own window background.
const char kBlankClass[] = "BlankWndClass";
const char kDiveClass[] = "MonitorDiveWndClass";

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

OtherMonitors::Window* WindowOf(HWND window) {
  return reinterpret_cast<OtherMonitors::Window*>(
      GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The window's record rides in the creation parameters.
LRESULT OnNcCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  SetWindowLongPtrA(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  return DefWindowProcA(window, message, wParam, lParam);
}

// A dive ticks as the saver's window does: first 10 ms after creation, then
// 5 s after the end of each tick, each render pass inside its own message.
LRESULT OnTimer(HWND window) {
  OtherMonitors::Window* w = WindowOf(window);
  if (w != nullptr && w->engine != nullptr && w->engine->Tick()) {
    SetTimer(window, kAnimationTimer, kTickIntervalMs, nullptr);
  }
  return 0;
}

// A press goes to the saver's window, whose procedure kills the animation
// timer and posts the quit message.
LRESULT OnButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  OtherMonitors::Window* w = WindowOf(window);
  if (w != nullptr) SendMessageA(w->saver, message, wParam, lParam);
  return 0;
}

LRESULT CALLBACK OtherMonitorWndProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return OnNcCreate(window, message, wParam, lParam);
    case WM_CREATE:
      if (WindowOf(window)->engine != nullptr)
        SetTimer(window, kAnimationTimer, kFirstTickDelayMs, nullptr);
      return 0;
    case WM_TIMER:
      return OnTimer(window);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return OnButton(window, message, wParam, lParam);
    case WM_DESTROY:
      KillTimer(window, kAnimationTimer);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterClassOf(HINSTANCE instance, const char* name, int brush) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OtherMonitorWndProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(brush));
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);  // again after a failure is harmless
}

void Destroy(OtherMonitors::Window* w) {
  if (w->engine != nullptr) w->engine->Detach();
  DestroyWindow(w->handle);
}

}  // namespace

std::vector<MonitorArea> ListMonitors() {
  std::vector<MonitorArea> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor,
                      reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

std::vector<ScreenRect> OtherMonitorAreas(HWND saverWindow) {
  RECT covered = {0, 0, 0, 0};
  GetWindowRect(saverWindow, &covered);
  return BlankMonitorRects(ListMonitors(), {covered.left, covered.top,
                                            covered.right, covered.bottom});
}

OtherMonitors::OtherMonitors(HINSTANCE instance, HWND saverWindow, bool dives)
    : instance_(instance), saverWindow_(saverWindow), dives_(dives) {
  RegisterClassOf(instance, dives ? kDiveClass : kBlankClass,
                  dives ? WHITE_BRUSH : BLACK_BRUSH);
}

OtherMonitors::~OtherMonitors() {
  for (const std::unique_ptr<Window>& w : windows_) Destroy(w.get());
}

std::vector<HWND> OtherMonitors::windows() const {
  std::vector<HWND> handles;
  for (const std::unique_ptr<Window>& w : windows_)
    handles.push_back(w->handle);
  return handles;
}

std::vector<ScreenRect> OtherMonitors::areas() const {
  std::vector<ScreenRect> covered;
  for (const std::unique_ptr<Window>& w : windows_) covered.push_back(w->area);
  return covered;
}

void OtherMonitors::Layout(const std::vector<ScreenRect>& areas,
                           int showCommand) {
  std::vector<std::unique_ptr<Window>> kept;
  for (std::unique_ptr<Window>& w : windows_) {
    if (std::find(areas.begin(), areas.end(), w->area) != areas.end()) {
      kept.push_back(std::move(w));
    } else {
      Destroy(w.get());
    }
  }
  windows_ = std::move(kept);
  for (const ScreenRect& r : areas) {
    const bool laid = std::any_of(
        windows_.begin(), windows_.end(),
        [&](const std::unique_ptr<Window>& w) { return w->area == r; });
    if (laid) continue;
    auto w = std::make_unique<Window>();
    w->saver = saverWindow_;
    w->area = r;
    if (dives_) {
      w->engine = std::make_unique<SaverEngine>();
      w->engine->mandelbrotColor = programEngine.mandelbrotColor;
      w->engine->backgroundColor = programEngine.backgroundColor;
    }
    w->handle =
        CreateWindowExA(0, dives_ ? kDiveClass : kBlankClass, "", WS_POPUP,
                        r.left, r.top, r.right - r.left, r.bottom - r.top,
                        nullptr, nullptr, instance_, w.get());
    if (w->handle == nullptr) continue;
    if (w->engine != nullptr) {
      w->surface = std::make_unique<GdiSurface>(w->handle);
      w->engine->Attach(w->surface.get());
    }
    ShowWindow(w->handle, showCommand);
    UpdateWindow(w->handle);
    windows_.push_back(std::move(w));
  }
}

}  // namespace mandeldive
