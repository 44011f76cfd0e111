#include "settings/settings_dlg_proc.h"

#include "engine/program_engine.h"
#include "resource.h"
#include "settings/scheme_buttons.h"
#include "settings/settings_store.h"

namespace mandeldive {

// The dialog holds a button for every scheme, numbered from its group's
// first identifier, and the two groups' numbers do not overlap.
static_assert(IDC_ESCAPE_BLACK_SHADOW - IDC_ESCAPE_FIRST + 1 ==
                  kEscapeSchemeCount,
              "a radio button for every escape scheme");
static_assert(IDC_INSIDE_GREEN_PURPLE - IDC_INSIDE_FIRST + 1 ==
                  kInsideSchemeCount,
              "a radio button for every in-set scheme");
static_assert(IDC_ESCAPE_FIRST + kEscapeSchemeCount <= IDC_INSIDE_FIRST,
              "the groups' identifiers do not overlap");

namespace {

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

INT_PTR OnInitDialog(HWND dialog) {
  ReadSettings();
  const SaverEngine& engine = programEngine;
  if (engine.mandelbrotColor < kInsideSchemeCount) {
    CheckDlgButton(dialog, IDC_INSIDE_FIRST + engine.mandelbrotColor,
                   BST_CHECKED);
  }
  if (engine.backgroundColor < kEscapeSchemeCount) {
    CheckDlgButton(dialog, IDC_ESCAPE_FIRST + engine.backgroundColor,
                   BST_CHECKED);
  }
  CheckDlgButton(
      dialog, IDC_EVERY_MONITOR,
      programSettings.everyMonitor != 0 ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

INT_PTR OnOk(HWND dialog) {
  bool inside[kInsideSchemeCount];
  for (std::uint32_t i = 0; i < kInsideSchemeCount; ++i) {
    inside[i] = Checked(dialog, IDC_INSIDE_FIRST + i);
  }
  bool escape[kEscapeSchemeCount];
  for (std::uint32_t i = 0; i < kEscapeSchemeCount; ++i) {
    escape[i] = Checked(dialog, IDC_ESCAPE_FIRST + i);
  }
  SaverEngine& engine = programEngine;
  engine.mandelbrotColor = InsideSchemeFromButtons(inside);
  engine.backgroundColor =
      EscapeSchemeFromButtons(escape, engine.backgroundColor);
  programSettings.everyMonitor = Checked(dialog, IDC_EVERY_MONITOR) ? 1 : 0;
  WriteSettings();
  EndDialog(dialog, IDOK);
  return TRUE;
}

INT_PTR OnCancel(HWND dialog) {
  EndDialog(dialog, IDCANCEL);
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                 LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          return OnOk(dialog);
        case IDCANCEL:
          return OnCancel(dialog);
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace mandeldive
