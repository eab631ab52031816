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
;
; The uninstaller deletes the installed files by name and removes a folder
; only once it is empty: a file the user put into the install folder stays,
; and so does its folder. Neither installs nor uninstalls while a Kestrova
; window is open (a running kestrova.exe cannot be replaced or deleted); a
; silent run then ends with exit code 2 instead of asking.

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
; The main window of kestrova.exe, as app/main_window.h names it: the class
; (generic, other programs use it too) and the title without its version, so
; that the window of an older version being replaced is found as well.
!define MAIN_WINDOW_CLASS "NORMAL0"
!define MAIN_WINDOW_TITLE "Kestrova ver."
!define MAIN_WINDOW_TITLE_LENGTH 13
; Exit code of a run that ends because Kestrova is open (NSIS: aborted by the script).
!define EXIT_KESTROVA_OPEN 2

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
; The language file's default is "Readme を表示".
!define MUI_FINISHPAGE_SHOWREADME_TEXT "利用者ガイドを表示(&S)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; The guide's pictures, by name, so that the uninstaller deletes exactly the
; ones installed: the list is taken from STAGE\images when the installer is
; made. Each line of it is `!insertmacro GuideImage "NAME"`; the install and
; the uninstall section each define GuideImage for the list's one use there.
!tempfile IMAGE_LIST
!system `cd "${STAGE}/images" && ls -1 *.png | LC_ALL=C sort | sed 's/.*/!insertmacro GuideImage "&"/' >"${IMAGE_LIST}"` = 0

; Sets $0 to 1 while a main window of kestrova.exe is open, else to 0. The
; class name alone would also find other programs' windows.
!macro DefineFindKestrovaWindow UN
  Function ${UN}FindKestrovaWindow
    Push $1
    Push $2
    StrCpy $0 0
    StrCpy $1 0
    ${Do}
      FindWindow $1 "${MAIN_WINDOW_CLASS}" "" 0 $1
      ${If} $1 = 0
        ${Break}
      ${EndIf}
      System::Call "user32::GetWindowTextW(p r1, w .r2, i ${NSIS_MAX_STRLEN}) i"
      StrCpy $2 $2 ${MAIN_WINDOW_TITLE_LENGTH}
      ${If} $2 S== "${MAIN_WINDOW_TITLE}"
        StrCpy $0 1
        ${Break}
      ${EndIf}
    ${Loop}
    Pop $2
    Pop $1
  FunctionEnd
!macroend
!insertmacro DefineFindKestrovaWindow ""
!insertmacro DefineFindKestrovaWindow "un."

; Asks the user to close Kestrova (retry or cancel) until no window of it is
; open; cancelled, or in a silent run, where nobody could answer, the run
; ends with EXIT_KESTROVA_OPEN before anything has been changed. Called on
; start and again just before the files are touched, as Kestrova may have
; been started while the pages were shown.
!macro CloseKestrovaFirst UN WHAT
  kestrova_window_check:
    Call ${UN}FindKestrovaWindow
    StrCmp $0 0 kestrova_window_closed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Kestrova が起動しています。$\r$\n$\r$\nKestrova を終了してから「再試行」を押してください。「キャンセル」を押すと${WHAT}を中止します。" \
      /SD IDCANCEL IDRETRY kestrova_window_check
    SetErrorLevel ${EXIT_KESTROVA_OPEN}
    Quit
  kestrova_window_closed:
!macroend

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  !insertmacro CloseKestrovaFirst "un." "アンインストール"
FunctionEnd

Section "Kestrova" SecMain
  SectionIn RO
  !insertmacro CloseKestrovaFirst "" "セットアップ"
  SetOutPath "$INSTDIR"
  File "${STAGE}\kestrova.exe"
  File "${STAGE}\kestrova-cli.exe"
  File "${STAGE}\kestrova.html"
  File "${STAGE}\kestrova-guide-ja.html"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\images"
  !macro GuideImage NAME
    File "${STAGE}\images\${NAME}"
  !macroend
  !include "${IMAGE_LIST}"
  !macroundef GuideImage
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
  !insertmacro CloseKestrovaFirst "" "セットアップ"
FunctionEnd

Section "Uninstall"
  !insertmacro CloseKestrovaFirst "un." "アンインストール"
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
  !macro GuideImage NAME
    Delete "$INSTDIR\images\${NAME}"
  !macroend
  !include "${IMAGE_LIST}"
  !macroundef GuideImage
  RMDir "$INSTDIR\images"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "$INSTDIR には Kestrova のものでないファイルがあるため、フォルダーを残しました。"
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

!delfile "${IMAGE_LIST}"
