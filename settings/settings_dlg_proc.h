// The settings dialog's procedure, for dialog template IDD_SETTINGS (101).
#ifndef MANDELDIVE_SETTINGS_SETTINGS_DLG_PROC_H_
#define MANDELDIVE_SETTINGS_SETTINGS_DLG_PROC_H_

#include <windows.h>

namespace mandeldive {

// Opens with the stored schemes checked; OK stores the checked schemes and
// ends the dialog with 1, Cancel ends it with 2 and stores nothing.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                 LPARAM lParam);

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_SETTINGS_DLG_PROC_H_
