// The screen saver's entry: chooses full screen, preview or the settings
// dialog from the command line, sets up the window and runs the loop.
#include <windows.h>

#include <vector>

#include "engine/program_engine.h"
#include "host/win32/blank_windows.h"
#include "host/win32/command_line.h"
#include "host/win32/gdi_surface.h"
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

// Black windows over every other monitor, so that the saver hides the whole
// desktop; none on a single monitor. The saver's own window stays as it is.
std::vector<HWND> CoverOtherMonitors(HINSTANCE instance, HWND saverWindow) {
  RECT covered = {0, 0, 0, 0};
  GetWindowRect(saverWindow, &covered);
  const std::vector<ScreenRect> areas = BlankMonitorRects(
      ListMonitors(),
      {covered.left, covered.top, covered.right, covered.bottom});
  if (areas.empty() || !RegisterBlankClass(instance)) return {};
  return CreateBlankWindows(instance, saverWindow, areas);
}

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
  std::vector<HWND> blankWindows;
  switch (request.mode) {
    case SaverMode::FullScreen:
      mainWindow = CreateFullScreen(programInstance);
      if (mainWindow != nullptr) {
        blankWindows = CoverOtherMonitors(programInstance, mainWindow);
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

  for (HWND blank : blankWindows) {
    ShowWindow(blank, showCommand);
    UpdateWindow(blank);
  }
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  ReadSettings();
  GdiSurface surface(mainWindow);
  programEngine.Attach(&surface);
  const WPARAM code = RunMessageLoop();
  programEngine.Detach();
  return static_cast<int>(code);
}

}  // namespace
}  // namespace mandeldive

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR,
                   int showCommand) {
  return mandeldive::Run(instance, previous, showCommand);
}
