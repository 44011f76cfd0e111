// The screen saver's entry: chooses full screen, preview or the settings
// dialog from the command line, sets up the window and runs the loop.
#include <windows.h>

#include <memory>
#include <vector>

#include "engine/program_engine.h"
#include "host/win32/command_line.h"
#include "host/win32/gdi_surface.h"
#include "host/win32/other_monitors.h"
#include "host/win32/saver_wnd_proc.h"
#include "resource.h"
#include "settings/settings_dlg_proc.h"
#include "settings/settings_store.h"

namespace mandeldive {
namespace {

const char kWindowClass[] = "MainWndClass";
const char kWindowTitle[] = "myScreenSaver";

HINSTANCE programInstance = nullptr;
// Null until a drawing window exists, so the settings dialog has no owner.
HWND mainWindow = nullptr;

bool RegisterSaverClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.style = 0;
  windowClass.lpfnWndProc = SaverWndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ID_APP));
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateFullScreen(HINSTANCE instance) {
  RECT desktop = {0, 0, 0, 0};
  GetClientRect(GetDesktopWindow(), &desktop);
  HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_POPUP, 0, 0,
                                desktop.right, desktop.bottom, nullptr, nullptr,
                                instance, nullptr);
  SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
  return window;
}

// Full screen: the windows over every other monitor, black or each with a
// dive of its own as the settings choose, and the saver window's surface.
std::unique_ptr<OtherMonitors> otherMonitors;
GdiSurface* mainSurface = nullptr;
int shownAs = SW_SHOW;

// Monitors added, removed or resized: the saver's window takes the primary
// monitor's new size, and a new size starts its dive again from the full
// view; the other monitors' windows are laid out anew. Nothing happens when
// the layout is as it was.
void OnDisplayChange() {
  RECT desktop = {0, 0, 0, 0};
  GetClientRect(GetDesktopWindow(), &desktop);
  RECT now = {0, 0, 0, 0};
  GetWindowRect(mainWindow, &now);
  const bool resized = now.left != 0 || now.top != 0 ||
                       now.right != desktop.right ||
                       now.bottom != desktop.bottom;
  if (resized) {
    SetWindowPos(mainWindow, nullptr, 0, 0, desktop.right, desktop.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (mainSurface != nullptr) programEngine.Attach(mainSurface);
  }
  const std::vector<ScreenRect> areas = OtherMonitorAreas(mainWindow);
  if (!resized && areas == otherMonitors->areas()) return;
  otherMonitors->Layout(areas, shownAs);
  // Above the new windows, as at the start.
  SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Not every system says when its monitors change (Wine does not on an X
// server's RandR changes), so the layout is also looked at every two
// seconds, on a timer of the thread's own: the saver window's timer
// messages all tick its engine.
constexpr UINT kLayoutCheckMs = 2000;
void CALLBACK CheckLayout(HWND, UINT, UINT_PTR, DWORD) { OnDisplayChange(); }

HWND CreatePreview(HINSTANCE instance, std::uint32_t hostHandle) {
  HWND host = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(hostHandle));
  RECT area = {0, 0, 0, 0};
  GetClientRect(host, &area);
  return CreateWindowExA(0, kWindowClass, kWindowTitle, WS_CHILD, area.left,
                         area.top, area.right, area.bottom, host,
                         reinterpret_cast<HMENU>(0), instance, nullptr);
}

// Every message of the thread until the quit message; an error from
// GetMessage ends the loop too, instead of spinning on it.
WPARAM RunMessageLoop() {
  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return message.wParam;
}

int Run(HINSTANCE instance, HINSTANCE previous, int showCommand) {
  if (previous == nullptr) {
    ReadSettings();
    if (!RegisterSaverClass(instance)) return 0;
  }
  programInstance = instance;

  // The whole command line, not the runtime's idea of its tail, so that the
  // program path is skipped by our own rules.
  const LaunchRequest request = ChooseMode(CommandTail(GetCommandLineA()));
  switch (request.mode) {
    case SaverMode::FullScreen:
      mainWindow = CreateFullScreen(programInstance);
      if (mainWindow != nullptr) {
        otherMonitors = std::make_unique<OtherMonitors>(
            programInstance, mainWindow, programSettings.everyMonitor != 0);
      }
      break;
    case SaverMode::Preview:
      mainWindow = CreatePreview(programInstance, request.hostWindow);
      break;
    case SaverMode::Settings:
      DialogBoxParamA(programInstance, MAKEINTRESOURCEA(IDD_SETTINGS),
                      mainWindow, SettingsDlgProc, 0);
      return 1;
  }
  if (mainWindow == nullptr) return 0;

  if (otherMonitors != nullptr) {
    shownAs = showCommand;
    otherMonitors->Layout(OtherMonitorAreas(mainWindow), showCommand);
  }
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  ReadSettings();
  GdiSurface surface(mainWindow);
  programEngine.Attach(&surface);
  UINT_PTR layoutTimer = 0;
  if (otherMonitors != nullptr) {
    mainSurface = &surface;
    displayChangeHandler = OnDisplayChange;
    layoutTimer = SetTimer(nullptr, 0, kLayoutCheckMs, CheckLayout);
  }
  const WPARAM code = RunMessageLoop();
  if (layoutTimer != 0) KillTimer(nullptr, layoutTimer);
  displayChangeHandler = nullptr;
  otherMonitors.reset();
  programEngine.Detach();
  return static_cast<int>(code);
}

}  // namespace
}  // namespace mandeldive

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR,
                   int showCommand) {
  return mandeldive::Run(instance, previous, showCommand);
}
