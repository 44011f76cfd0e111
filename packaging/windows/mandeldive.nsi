; The Windows installer. scripts/package builds it with Debian's makensis:
;   makensis -DVERSION=1.1.0 -DSCR64=x64.scr -DSCR32=x86.scr -DICON=mandeldive.ico
;            -DSIDEBAR=sidebar.bmp -DOUTFILE=mandeldive-1.1.0-setup.exe mandeldive.nsi
; (the sidebar is a 164x314 picture of the full view, in BMP).
;
; It puts the screen saver where Windows looks for screen savers, the system
; folder: the 64-bit one on 64-bit Windows, the 32-bit one on 32-bit Windows.
; It makes mandeldive the current user's screen saver and registers an
; uninstaller. Exit codes: 0 done, 1 cancelled, 2 refused (no administrator
; rights, or the screen saver is running); nothing is changed unless 0.

Unicode true
SetCompressor /SOLID lzma
; No file times stored: the same files give the same installer, byte for byte.
SetDateSave off
; -DSIGN=COMMAND (scripts/package, given a certificate): COMMAND FILE signs
; the uninstaller in place before it goes into the installer.
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define PRODUCT "mandeldive"
!define PUBLISHER "The mandeldive authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\mandeldive"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER "mandeldive.scr"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDEBAR}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs the ${PRODUCT} screen saver, which dives into the Mandelbrot set, and makes it your screen saver.$\r$\n$\r$\nIt needs administrator rights: screen savers live in the Windows system folder.$\r$\n$\r$\nClick Install to go on."
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is now your screen saver.$\r$\n$\r$\nIn its Settings you pick the colours, and with several monitors you can check $\"Dive on every monitor$\" to give each monitor a dive of its own."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomeInstallButton
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The folder and registry view that match the Windows running: sections
; run on a thread of their own, so each calls this again for the file
; system's redirection.
!macro NativeView
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetRegView 64
  ${EndIf}
!macroend

!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs administrator rights: screen savers live in the Windows system folder. Nothing was changed." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; Stops with a message when the saver file is running (as the screen saver,
; its preview or its settings): Windows keeps a running program's file open.
!macro RequireNotRunning
  ${If} ${FileExists} "$SYSDIR\${SAVER}"
    ClearErrors
    FileOpen $0 "$SYSDIR\${SAVER}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "$SYSDIR\${SAVER} is in use. End the screen saver, its preview and its settings, then try again. Nothing was changed." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdmin
  ${If} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Function WelcomeInstallButton
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Install"
FunctionEnd

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section "mandeldive"
  !insertmacro NativeView
  !insertmacro RequireNotRunning
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    File "/oname=${SAVER}" "${SCR64}"
  ${Else}
    File "/oname=${SAVER}" "${SCR32}"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SAVER}"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SAVER},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 1024
SectionEnd

Function un.onInit
  !insertmacro RequireAdmin
FunctionEnd

; Removes the saver and its Uninstall entry. SCRNSAVE.EXE is cleared only
; while it still names this saver; the two scheme settings stay, as a
; user's settings do.
Section "Uninstall"
  !insertmacro NativeView
  !insertmacro RequireNotRunning
  GetFullPathName /SHORT $1 "$SYSDIR\${SAVER}"
  Delete "$SYSDIR\${SAVER}"
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\${SAVER}"
  ${OrIf} $0 == $1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
