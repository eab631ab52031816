; The Windows installer of Kestrova: a 64-bit Unicode NSIS installer in
; Japanese. Made by scripts/package.sh:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=26 -DSTAGE=<files> -DICON=<kestrova.ico> -DOUTFILE=<setup.exe> installer/kestrova.nsi
;
; STAGE holds what is installed: kestrova.exe, kestrova-cli.exe, the browser
; page kestrova.html, the user guide (kestrova-guide-ja.html with its
; images/) and LICENSE.txt. ICON is the application icon (the build makes
; it from app/kestrova.svg); the installer and the uninstaller show it, the
; shortcuts and Add/Remove Programs take it from kestrova.exe, which carries
; it as its first icon.
; Installs to Program Files\Kestrova for all users, with a Start-menu folder,
; a desktop shortcut when the user keeps it chosen (never in a silent
; install), and an uninstaller registered in Add/Remove Programs; /S installs
; and uninstalls silently. The same inputs give the same setup.exe (no file
; times are stored).

Unicode true
; A 32-bit installer does nothing under a 64-bit-only Wine (and still
; returns 0): the installer is 64-bit, like the program.
Target amd64-unicode
SetCompressor /SOLID lzma
SetDateSave off
RequestExecutionLevel admin

!ifndef VERSION
  !error "VERSION is not defined (-DVERSION=...)"
!endif
!ifndef STAGE
  !error "STAGE is not defined (-DSTAGE=...)"
!endif
!ifndef ICON
  !error "ICON is not defined (-DICON=...)"
!endif
!ifndef OUTFILE
  !define OUTFILE "kestrova-${VERSION}-setup.exe"
!endif

!define PRODUCT "Kestrova"
!define DISPLAY_NAME "Kestrova 肺機能検査 予測値計算"
!define PUBLISHER "Kestrova"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrova"
!define MENU_FOLDER "$SMPROGRAMS\Kestrova"

Name "${PRODUCT} ver.${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrova"
BrandingText "${PRODUCT} ver.${VERSION}"

VIProductVersion "${VERSION}.0.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${DISPLAY_NAME} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}.0.0.0"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "© 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "Sections.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\kestrova.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\kestrova-guide-ja.html"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Kestrova" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\kestrova.exe"
  File "${STAGE}\kestrova-cli.exe"
  File "${STAGE}\kestrova.html"
  File "${STAGE}\kestrova-guide-ja.html"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\images"
  File "${STAGE}\images\*.png"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Kestrova.lnk" "$INSTDIR\kestrova.exe" "" "$INSTDIR\kestrova.exe" 0
  CreateShortcut "${MENU_FOLDER}\Kestrova（ブラウザ版）.lnk" "$INSTDIR\kestrova.html"
  CreateShortcut "${MENU_FOLDER}\Kestrova 利用者ガイド.lnk" "$INSTDIR\kestrova-guide-ja.html"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrova.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Add/Remove Programs shows it: the files this section installs.
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "デスクトップにショートカットを作成" SecDesktop
  CreateShortcut "$DESKTOP\Kestrova.lnk" "$INSTDIR\kestrova.exe" "" "$INSTDIR\kestrova.exe" 0
SectionEnd

; After the sections, whose indexes it uses.
Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; Offered and chosen on the components page; a silent install (/S), as an
  ; IT department deploys it, puts nothing on the desktop.
  ${If} ${Silent}
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$DESKTOP\Kestrova.lnk"
  Delete "${MENU_FOLDER}\Kestrova.lnk"
  Delete "${MENU_FOLDER}\Kestrova（ブラウザ版）.lnk"
  Delete "${MENU_FOLDER}\Kestrova 利用者ガイド.lnk"
  RMDir "${MENU_FOLDER}"

  Delete "$INSTDIR\kestrova.exe"
  Delete "$INSTDIR\kestrova-cli.exe"
  Delete "$INSTDIR\kestrova.html"
  Delete "$INSTDIR\kestrova-guide-ja.html"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\images\*.png"
  RMDir "$INSTDIR\images"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
