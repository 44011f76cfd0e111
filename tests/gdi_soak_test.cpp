// The Windows saver left running: the real SaverWndProc on a real window,
// beside a second monitor's dive window with an engine of its own, both
// driven by WM_TIMER for fifty whole cycles of the dive. Neither the GDI
// handle table nor the working set may grow after the first cycle.
#include <gtest/gtest.h>
#include <windows.h>
// psapi.h needs windows.h's types first.
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/program_engine.h"
#include "host/win32/gdi_surface.h"
#include "host/win32/other_monitors.h"
#include "host/win32/saver_wnd_proc.h"
#include "tests/win32_test_window.h"

namespace mandeldive {
namespace {

constexpr int kTicksPerCycle =
    22;  // 7 dives of render, caption, zoom, and one more render
constexpr int kSoakTicks = 1100;  // 50 cycles

// Where a fresh GDI object lands in the handle table. Wine's
// GetGuiResources always answers 0, but its table hands out freed slots
// first (the last freed first) and new slots at the end after that. A tick
// that frees all it makes leaves the same slots free, so the census stays
// within those few; one that leaks uses them up and then the census climbs
// with every leaked object.
unsigned HandleCensus() {
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  LOGFONTA spec = {};
  spec.lfHeight = 12;
  HFONT font = CreateFontIndirectA(&spec);
  HDC dc = CreateCompatibleDC(nullptr);
  auto index = [](const void* h) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(h) & 0xFFFF);
  };
  const unsigned census = std::max({index(brush), index(font), index(dc)});
  DeleteDC(dc);
  DeleteObject(font);
  DeleteObject(brush);
  return census;
}

// How far the census may wander among the slots one tick frees.
constexpr unsigned kCensusSlack = 16;

std::size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&message);
}

HWND MakeSaverWindow() {
  HWND window =
      MakeTestWindow("SoakWndClass", SaverWndProc, WHITE_BRUSH, 240, 180);
  PumpMessages();
  return window;
}

// The timer's messages as the loop would dispatch them, one tick each.
void Tick(const std::vector<HWND>& windows, int count) {
  for (int i = 0; i < count; ++i) {
    for (HWND window : windows)
      SendMessageA(window, WM_TIMER, kAnimationTimer, 0);
    PumpMessages();
  }
}

TEST(GdiSoak, AThousandTicksLeaveTheHandlesAndTheWorkingSetAsTheyWere) {
  HWND window = MakeSaverWindow();
  ASSERT_NE(window, nullptr);
  GdiSurface surface(window);
  programEngine.Attach(&surface);
  OtherMonitors other(GetModuleHandleA(nullptr), window, true);
  other.Layout({{300, 0, 500, 150}}, SW_SHOW);
  std::vector<HWND> windows = other.windows();
  ASSERT_EQ(windows.size(), 1u);
  windows.push_back(window);
  Tick(windows, kTicksPerCycle);
  const unsigned handles = HandleCensus();
  const std::size_t working = WorkingSet();
  Tick(windows, kSoakTicks);
  const unsigned handlesAfter = HandleCensus();
  const std::size_t workingAfter = WorkingSet();
  other.Layout({}, SW_SHOW);
  programEngine.Detach();
  DestroyWindow(window);
  PumpMessages();
  std::printf(
      "soak: %d ticks; GDI census %#x -> %#x; working set %zu KiB -> %zu KiB\n",
      kSoakTicks, handles, handlesAfter, working / 1024, workingAfter / 1024);
  EXPECT_LE(handlesAfter, handles + kCensusSlack);
  EXPECT_GT(working, 0u);
  EXPECT_LE(workingAfter, working + 256 * 1024);
}

TEST(GdiSoak, TheCensusSeesLeakedHandles) {
  const unsigned before = HandleCensus();
  std::vector<HBRUSH> leaked;
  for (int i = 0; i < 100; ++i)
    leaked.push_back(CreateSolidBrush(RGB(i, 0, 0)));
  const unsigned during = HandleCensus();
  for (HBRUSH b : leaked) DeleteObject(b);
  EXPECT_GE(during, before + 100) << "a leak of 100 brushes must show";
}

}  // namespace
}  // namespace mandeldive
