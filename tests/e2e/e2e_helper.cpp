// A small Windows program the end-to-end tests use beside the saver:
//
//   e2e_helper preview SAVER FLAGFILE WIDTH HEIGHT
//     Plays the display settings' part: makes a host window at the screen's
//     top-left with a client area of WIDTH x HEIGHT, starts SAVER with
//     "/p <hwnd>", and destroys the host window once FLAGFILE exists (or
//     after two minutes); a FLAGFILE of "after:MS" destroys it MS ms after
//     the saver's window appears instead, while the saver is busy drawing
//     its first picture. Exits with the saver's exit code, 98 when the
//     saver could not be started, 99 when it did not end within 20 s. It
//     prints what it saw of the saver's window: "child CLASS TITLE WxH
//     visible|hidden child|popup".
//
//   e2e_helper monitors
//     Prints each monitor Windows reports, one a line, as
//     "LEFT,TOP-RIGHT,BOTTOM primary|secondary".
//
//   e2e_helper count CLASS
//     Prints how many visible top-level windows of class CLASS there are.
//
//   e2e_helper locate TITLE ID
//     Prints the screen position of the centre of control ID in the
//     top-level window titled TITLE, as "X Y"; exits 1 when there is none.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/win32_test_window.h"

namespace {

const char* flagFile = nullptr;
char childReport[256] = "child none";

// Notes the first child window of the host: the saver's preview window.
void LookForChild(HWND host) {
  if (std::strcmp(childReport, "child none") != 0) return;
  HWND child = GetWindow(host, GW_CHILD);
  if (child == nullptr) return;
  char name[64] = {}, title[64] = {};
  GetClassNameA(child, name, sizeof name);
  GetWindowTextA(child, title, sizeof title);
  RECT r = {};
  GetClientRect(child, &r);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  std::snprintf(
      childReport, sizeof childReport, "child %s %s %ldx%ld %s %s", name, title,
      r.right, r.bottom, IsWindowVisible(child) ? "visible" : "hidden",
      (style & WS_CHILD) && GetParent(child) == host ? "child" : "popup");
}
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kGiveUpTimer = 2;
constexpr UINT_PTR kDestroyTimer = 3;
int destroyAfterMs = -1;  // from "after:MS"

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_TIMER:
      if (wp == kDestroyTimer) {
        DestroyWindow(w);
        return 0;
      }
      LookForChild(w);
      if (destroyAfterMs >= 0) {
        if (std::strcmp(childReport, "child none") != 0) {
          KillTimer(w, kPollTimer);
          SetTimer(w, kDestroyTimer, static_cast<UINT>(destroyAfterMs),
                   nullptr);
          destroyAfterMs = -1;
        }
        if (wp == kGiveUpTimer) DestroyWindow(w);
        return 0;
      }
      if (wp == kGiveUpTimer ||
          GetFileAttributesA(flagFile) != INVALID_FILE_ATTRIBUTES) {
        DestroyWindow(w);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(w, m, wp, lp);
  }
}

int Preview(const char* saver, const char* flag, int width, int height) {
  flagFile = flag;
  if (std::strncmp(flag, "after:", 6) == 0)
    destroyAfterMs = std::atoi(flag + 6);
  HWND host = mandeldive::MakeTestWindow("PreviewHost", HostProc, GRAY_BRUSH,
                                         width, height, WS_CLIPCHILDREN);
  if (host == nullptr) return 98;
  SetTimer(host, kPollTimer, destroyAfterMs >= 0 ? 5 : 100, nullptr);
  SetTimer(host, kGiveUpTimer, 120000, nullptr);

  char command[1024];
  std::snprintf(command, sizeof command, "\"%s\" /p %lu", saver,
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(host)));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    DestroyWindow(host);
    return 98;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);

  DWORD code = 99;
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("%s\nsaver exit %lu\n", childReport,
              static_cast<unsigned long>(code));
  return static_cast<int>(code);
}

int Locate(const char* title, int id) {
  HWND window = FindWindowA(nullptr, title);
  HWND control = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (control == nullptr) return 1;
  RECT r;
  GetWindowRect(control, &r);
  std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  std::printf("%ld,%ld-%ld,%ld %s\n", r.left, r.top, r.right, r.bottom,
              (info.dwFlags & MONITORINFOF_PRIMARY) ? "primary" : "secondary");
  return TRUE;
}

struct ClassCount {
  const char* name;
  int count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM data) {
  auto* wanted = reinterpret_cast<ClassCount*>(data);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, wanted->name) == 0 && IsWindowVisible(window))
    ++wanted->count;
  return TRUE;
}

int Count(const char* className) {
  ClassCount wanted = {className, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&wanted));
  std::printf("%d\n", wanted.count);
  return 0;
}

int Monitors() {
  return EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "preview") == 0) {
    return Preview(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (argc == 4 && std::strcmp(argv[1], "locate") == 0) {
    return Locate(argv[2], std::atoi(argv[3]));
  }
  if (argc == 2 && std::strcmp(argv[1], "monitors") == 0) return Monitors();
  if (argc == 3 && std::strcmp(argv[1], "count") == 0) return Count(argv[2]);
  std::fprintf(
      stderr,
      "usage: e2e_helper preview SAVER FLAGFILE W H | locate TITLE ID | "
      "monitors | count CLASS\n");
  return 2;
}
