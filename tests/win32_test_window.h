// A top-level popup window for the Windows tests and benchmarks: its own
// class (procedure, background brush, arrow cursor) registered once, then
// the window created visible at 0,0 and painted once.
#ifndef MANDELDIVE_TESTS_WIN32_TEST_WINDOW_H_
#define MANDELDIVE_TESTS_WIN32_TEST_WINDOW_H_

#include <windows.h>

namespace mandeldive {

// Null when the window cannot be made. `style` is added to WS_POPUP |
// WS_VISIBLE.
inline HWND MakeTestWindow(const char* className, WNDPROC procedure,
                           int background, int width, int height,
                           DWORD style = 0) {
  WNDCLASSA c = {};
  c.lpfnWndProc = procedure;
  c.hInstance = GetModuleHandleA(nullptr);
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(background));
  c.lpszClassName = className;
  RegisterClassA(&c);
  HWND window =
      CreateWindowExA(0, className, className, WS_POPUP | WS_VISIBLE | style, 0,
                      0, width, height, nullptr, nullptr, c.hInstance, nullptr);
  if (window != nullptr) UpdateWindow(window);
  return window;
}

}  // namespace mandeldive

#endif  // MANDELDIVE_TESTS_WIN32_TEST_WINDOW_H_
