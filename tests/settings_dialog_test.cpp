// The settings dialog from its real template, run modally with the real
// dialog procedure and driven from a second thread through messages, on a
// virtual X display under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/caption_text.h"
#include "engine/colour_schemes.h"
#include "engine/program_engine.h"
#include "resource.h"
#include "settings/settings_dlg_proc.h"
#include "settings/settings_store.h"

namespace mandeldive {
namespace {

// ---- The template, read from the built resource ----

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;

// A control class named by a string stands for the same predefined class
// as its atom.
WORD ClassAtom(const std::string& name) {
  std::string lower;
  for (char ch : name)
    lower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
  if (lower == "button") return kButtonAtom;
  if (lower == "static") return kStaticAtom;
  return 0;
}

struct Control {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  WORD classAtom;
  std::string text;
};

struct Template {
  DWORD style;
  short cx, cy;
  std::string caption;
  WORD pointSize;
  std::string face;
  std::vector<Control> controls;
};

std::string Narrow(const WORD*& p) {
  std::string s;
  while (*p != 0) s += static_cast<char>(*p++);
  ++p;
  return s;
}

const WORD* Align(const WORD* p) {
  return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) &
                                       ~ULONG_PTR{3});
}

Template ReadTemplate() {
  Template t{};
  HRSRC found =
      FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_SETTINGS), RT_DIALOG);
  EXPECT_NE(found, nullptr);
  if (found == nullptr) return t;
  const auto* header = static_cast<const DLGTEMPLATE*>(
      LockResource(LoadResource(nullptr, found)));
  t.style = header->style;
  t.cx = header->cx;
  t.cy = header->cy;
  const WORD* p = reinterpret_cast<const WORD*>(header + 1);
  EXPECT_EQ(*p++, 0) << "no menu";
  EXPECT_EQ(*p++, 0) << "no class";
  t.caption = Narrow(p);
  t.pointSize = *p++;
  t.face = Narrow(p);
  for (WORD i = 0; i < header->cdit; ++i) {
    p = Align(p);
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    Control c{item->style, item->x,  item->y, item->cx,
              item->cy,    item->id, 0,       {}};
    p = reinterpret_cast<const WORD*>(item + 1);
    if (*p == 0xFFFF) {
      c.classAtom = p[1];
      p += 2;
    } else {
      c.classAtom = ClassAtom(Narrow(p));
    }
    c.text = *p == 0xFFFF ? (p += 2, std::string()) : Narrow(p);
    p += 1 + *p / sizeof(WORD);  // creation data
    t.controls.push_back(c);
  }
  return t;
}

struct Row {
  int id;  // IDC_STATIC for none
  WORD classAtom;
  DWORD kind;  // the low style bits: button kind or static alignment
  std::string text;
  short x, y, cx, cy;
  bool group, tabStop, disabled;
};

std::vector<Row> ExpectedRows() {
  std::vector<Row> rows = {
      {IDOK, kButtonAtom, BS_DEFPUSHBUTTON, "OK", 272, 7, 50, 14, true, true,
       false},
      {IDCANCEL, kButtonAtom, BS_PUSHBUTTON, "Cancel", 272, 24, 50, 14, false,
       true, false},
      {IDC_STATIC, kButtonAtom, BS_GROUPBOX, "Mandelbrot color", 179, 7, 83,
       133, true, false, false},
      {IDC_STATIC, kButtonAtom, BS_GROUPBOX, "Background color", 7, 7, 165, 133,
       true, false, false},
      {IDC_STATIC, kStaticAtom, SS_LEFT, MANDELDIVE_CAPTION_LABEL, 267, 127, 55,
       13, false, false, true},
  };
  const short escapeY[] = {22, 35, 48, 61, 74, 87, 99, 111, 123};
  constexpr int kLeftRows = static_cast<int>(std::size(escapeY));
  for (int i = 0; i < static_cast<int>(kEscapeSchemeCount); ++i) {
    const bool left = i < kLeftRows;
    const short cx = left ? (i == 7 ? 72 : 48) : 63;
    rows.push_back({IDC_ESCAPE_FIRST + i, kButtonAtom, BS_AUTORADIOBUTTON,
                    kEscapeSchemes[i].label, static_cast<short>(left ? 17 : 92),
                    left ? escapeY[i] : escapeY[i - kLeftRows], cx, 11, false,
                    false, false});
  }
  for (int i = 0; i < static_cast<int>(kInsideSchemeCount); ++i) {
    rows.push_back({IDC_INSIDE_FIRST + i, kButtonAtom, BS_AUTORADIOBUTTON,
                    kInsideSchemes[i].label, 191, escapeY[i],
                    static_cast<short>(i >= 7 ? 61 : 48), 10, i == 0, false,
                    false});
  }
  // Below both groups, and after them in the tab order.
  rows.push_back({IDC_EVERY_MONITOR, kButtonAtom, BS_AUTOCHECKBOX,
                  "Dive on every monitor", 7, 146, 165, 10, true, true, false});
  return rows;
}

TEST(SettingsTemplate, EveryControlAsDesigned) {
  const Template t = ReadTemplate();
  EXPECT_EQ(t.style,
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU |
                               DS_MODALFRAME | DS_CENTER | DS_SETFONT));
  EXPECT_EQ(t.cx, 329);
  EXPECT_EQ(t.cy, 162);
  EXPECT_EQ(t.caption, "Settings");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.face, "MS Sans Serif");
  const std::vector<Row> rows = ExpectedRows();
  ASSERT_EQ(t.controls.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const Control& c = t.controls[i];
    SCOPED_TRACE(r.text);
    EXPECT_EQ(c.id, static_cast<WORD>(r.id));
    EXPECT_EQ(c.classAtom, r.classAtom);
    EXPECT_EQ(c.text, r.text);
    EXPECT_EQ(c.x, r.x);
    EXPECT_EQ(c.y, r.y);
    EXPECT_EQ(c.cx, r.cx);
    EXPECT_EQ(c.cy, r.cy);
    EXPECT_EQ(c.style & 0x0F, r.kind);
    EXPECT_EQ((c.style & WS_GROUP) != 0, r.group);
    EXPECT_EQ((c.style & WS_TABSTOP) != 0, r.tabStop);
    EXPECT_EQ((c.style & WS_DISABLED) != 0, r.disabled);
    EXPECT_NE(c.style & WS_VISIBLE, 0u);
    if (r.classAtom == kStaticAtom) {
      EXPECT_NE(c.style & SS_CENTERIMAGE, 0u);
    }
  }
}

// ---- The live dialog ----

BOOL CALLBACK FindSettings(HWND w, LPARAM out) {
  char title[32] = {};
  GetWindowTextA(w, title, sizeof title);
  if (IsWindowVisible(w) && std::strcmp(title, "Settings") == 0) {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}

// The dialog of the given thread, once it is up; null after the deadline.
HWND WaitForDialog(DWORD thread) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    HWND found = nullptr;
    EnumThreadWindows(thread, FindSettings, reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

// Runs the dialog modally here while drive(dialog) runs on another thread;
// returns what the dialog ended with. Whatever drive does, the dialog is
// cancelled afterwards if it is still open, so a failing test cannot hang.
INT_PTR RunDialog(const std::function<void(HWND)>& drive) {
  const DWORD self = GetCurrentThreadId();
  std::atomic<bool> found{false};
  std::thread driver([&] {
    HWND dialog = WaitForDialog(self);
    if (dialog == nullptr) return;
    found = true;
    drive(dialog);
    if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                      nullptr, SettingsDlgProc, 0);
  driver.join();
  EXPECT_TRUE(found) << "the dialog never showed";
  return result;
}

bool IsChecked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<int> CheckedButtons(HWND dialog) {
  std::vector<int> ids;
  for (int id = IDC_ESCAPE_FIRST; id <= IDC_INSIDE_FIRST + 8; ++id) {
    if (IsChecked(dialog, id)) ids.push_back(id);
  }
  return ids;
}

void Click(HWND dialog, int id) {
  SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key as the keyboard sends it, to the control that has the focus.
void Press(HWND dialog, WPARAM key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  HWND target = info.hwndFocus != nullptr ? info.hwndFocus : dialog;
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    programEngine.mandelbrotColor = 0;
    programEngine.backgroundColor = 0;
    programSettings.everyMonitor = 0;
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }

  static void StoreBoth(DWORD inside, DWORD escape) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
    RegSetValueExA(key, kMandelbrotColorValue, 0, REG_DWORD,
                   reinterpret_cast<BYTE*>(&inside), 4);
    RegSetValueExA(key, kBackgroundColorValue, 0, REG_DWORD,
                   reinterpret_cast<BYTE*>(&escape), 4);
    RegCloseKey(key);
  }
  static void StoreEveryMonitor(DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
    RegSetValueExA(key, kEveryMonitorValue, 0, REG_DWORD,
                   reinterpret_cast<BYTE*>(&value), 4);
    RegCloseKey(key);
  }
  static std::uint32_t StoredEveryMonitor() {
    SaverEngine reader;
    HostSettings host;
    host.everyMonitor = 0xDEAD;
    ReadSettings(reader, &host);
    return host.everyMonitor;
  }
  static bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }
  static void Stored(std::uint32_t* inside, std::uint32_t* escape) {
    SaverEngine reader;
    reader.mandelbrotColor = reader.backgroundColor = 0xDEAD;
    ReadSettings(reader);
    *inside = reader.mandelbrotColor;
    *escape = reader.backgroundColor;
  }
};

TEST_F(SettingsDialog, FreshPrefixOpensOnDefaultsAndOkWritesThem) {
  std::vector<int> checked;
  HWND focus = nullptr, ok = nullptr;
  int controls = 0;
  std::string label;
  const INT_PTR result = RunDialog([&](HWND dialog) {
    checked = CheckedButtons(dialog);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    focus = info.hwndFocus;
    ok = GetDlgItem(dialog, IDOK);
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr;
         c = GetWindow(c, GW_HWNDNEXT))
      ++controls;
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_ESCAPE_BLACK_WHITE, text, sizeof text);
    label = text;
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(checked, (std::vector<int>{IDC_ESCAPE_WHITE, IDC_INSIDE_BLACK}));
  EXPECT_EQ(focus, ok) << "the focus starts on OK";
  EXPECT_EQ(controls, 30);
  EXPECT_EQ(label, "Back + white");
  ASSERT_TRUE(KeyExists());
  std::uint32_t inside, escape;
  Stored(&inside, &escape);
  EXPECT_EQ(inside, 0u);
  EXPECT_EQ(escape, 0u);
}

TEST_F(SettingsDialog, OutOfRangeValuesCheckNothingAndOkWritesEightAndThem) {
  StoreBoth(kInsideSchemeCount, kEscapeSchemeCount);
  std::vector<int> checked = {-1};
  const INT_PTR result = RunDialog([&](HWND dialog) {
    checked = CheckedButtons(dialog);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(checked.empty());
  std::uint32_t inside, escape;
  Stored(&inside, &escape);
  EXPECT_EQ(inside, kInsideSchemeCount - 1);
  EXPECT_EQ(escape, kEscapeSchemeCount);
}

TEST_F(SettingsDialog, ClickedChoicesAreStoredAndLoadedBack) {
  StoreBoth(2, 11);
  std::vector<int> before, after;
  const INT_PTR result = RunDialog([&](HWND dialog) {
    before = CheckedButtons(dialog);
    Click(dialog, IDC_INSIDE_RED_GREEN);
    Click(dialog, IDC_ESCAPE_FUTURISTIC_2);
    after = CheckedButtons(dialog);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(before, (std::vector<int>{IDC_ESCAPE_FANTASTIC, IDC_INSIDE_RED}));
  // Auto radio buttons uncheck the rest of their own group only.
  EXPECT_EQ(after,
            (std::vector<int>{IDC_ESCAPE_FUTURISTIC_2, IDC_INSIDE_RED_GREEN}));
  std::uint32_t inside, escape;
  Stored(&inside, &escape);
  EXPECT_EQ(inside, 7u);
  EXPECT_EQ(escape, 13u);
  EXPECT_EQ(programEngine.mandelbrotColor, 7u);
}

TEST_F(SettingsDialog, CancelAndTheCloseBoxStoreNothing) {
  StoreBoth(3, 4);
  const INT_PTR cancelled = RunDialog([&](HWND dialog) {
    Click(dialog, IDC_INSIDE_WHITE);
    Click(dialog, IDC_ESCAPE_BLACK);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(cancelled, IDCANCEL);
  const INT_PTR closed = RunDialog([&](HWND dialog) {
    Click(dialog, IDC_INSIDE_WHITE);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(closed, IDCANCEL);
  std::uint32_t inside, escape;
  Stored(&inside, &escape);
  EXPECT_EQ(inside, 3u);
  EXPECT_EQ(escape, 4u);

  RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
  RunDialog([&](HWND dialog) { Click(dialog, IDCANCEL); });
  EXPECT_FALSE(KeyExists());
}

TEST_F(SettingsDialog, EnterActsAsOkAndEscapeAsCancel) {
  StoreBoth(1, 1);
  const INT_PTR escaped = RunDialog([&](HWND dialog) {
    Click(dialog, IDC_INSIDE_ORANGE);
    SetForegroundWindow(dialog);
    Press(dialog, VK_ESCAPE);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
  });
  EXPECT_EQ(escaped, IDCANCEL);
  std::uint32_t inside, escape;
  Stored(&inside, &escape);
  EXPECT_EQ(inside, 1u);

  const INT_PTR entered = RunDialog([&](HWND dialog) {
    Click(dialog, IDC_INSIDE_ORANGE);
    // Clicking a radio button moves the focus to it; Enter still means OK.
    Press(dialog, VK_RETURN);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
  });
  EXPECT_EQ(entered, IDOK);
  Stored(&inside, &escape);
  EXPECT_EQ(inside, 6u);
  EXPECT_EQ(escape, 1u);
}

// The check box shows the stored value (any non-zero one checked); OK
// writes it with the schemes, Cancel writes nothing.
TEST_F(SettingsDialog, EveryMonitorFollowsTheStoredValue) {
  struct {
    DWORD stored;
    bool click;
    int button;
    bool shown;
    std::uint32_t after;
  } const cases[] = {
      {0, true, IDOK, false, 1},     {7, false, IDOK, true, 1},
      {1, true, IDOK, true, 0},      {7, true, IDCANCEL, true, 7},
      {0, true, IDCANCEL, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored << (c.click ? " clicked " : " ")
                                    << (c.button == IDOK ? "OK" : "Cancel"));
    StoreBoth(2, 3);
    StoreEveryMonitor(c.stored);
    bool shown = !c.shown;
    RunDialog([&](HWND dialog) {
      shown = IsChecked(dialog, IDC_EVERY_MONITOR);
      if (c.click) Click(dialog, IDC_EVERY_MONITOR);
      Click(dialog, c.button);
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(StoredEveryMonitor(), c.after);
  }
}

}  // namespace
}  // namespace mandeldive
