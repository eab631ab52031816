#!/usr/bin/env bash
# The installer end to end under Wine, in a fresh prefix on a virtual screen:
#
#   installer_e2e.sh SETUP.exe KESTROVA-SHOT.exe PREFIX
#
# Installs silently (/S) and checks the files, the Start-menu shortcuts, that
# no desktop shortcut was made, the uninstall key with its Japanese display
# name, publisher, icon and size, the version information of both installed
# exes and the application icon of kestrova.exe (the installer's own); starts the installed kestrova.exe and waits for its
# window (kestrova-shot saves a screenshot of it); uninstalls silently and
# checks that everything is gone. Then installs again, puts a user's own file
# into the install folder and into images/, and checks that with kestrova.exe
# open both the installer and the uninstaller refuse (exit code 2) and change
# nothing, and that once it is closed both succeed, the uninstaller leaving
# the user's files and their folders. PREFIX is made anew. Prints one line
# per check and "N passed, M failed"; exits non-zero when a check failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
setup=$(realpath "$1") shot_tool=$(realpath "$2") prefix=$3

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
bash "$root/tests/windows/wine_prefix.sh" "$prefix" || exit 1

export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 SETUP=$setup SHOT=$shot_tool ROOT=$root
# The uninstaller copies itself to %TEMP% and returns at once: `wineserver -w`
# waits for the copy to finish.
run='
set -uo pipefail
passed=0 failed=0
check() {  # check DESCRIPTION COMMAND…
  local what=$1; shift
  if "$@"; then echo "ok: $what"; passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
version=$(basename "$SETUP" | sed -n "s/^kestrova-\(.*\)-setup\.exe$/\1/p")
dir="$WINEPREFIX/drive_c/Program Files/Kestrova"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrova"
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrova"
work="$WINEPREFIX/e2e"
mkdir -p "$work"

# The uninstall key as text: reg export writes UTF-16.
key_text() {
  rm -f "$work/key.reg"
  wine reg export "$key" "Z:$work/key.reg" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$work/key.reg"
}
has_value() { key_text | tr -d "\r" | grep -qxF "$1"; }
lnk_points_to() { grep -qaF "$2" "$1" || iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | grep -qaF "$2"; }

wine "$SETUP" /S; rc=$?
wineserver -w
check "setup.exe /S exits 0" test "$rc" = 0
for f in kestrova.exe kestrova-cli.exe kestrova.html kestrova-guide-ja.html LICENSE.txt uninstall.exe \
         images/window-normal.png images/window-red-cells.png images/window-range-message.png; do
  check "installed: Program Files/Kestrova/$f" test -s "$dir/$f"
done
check "Start menu: Kestrova.lnk points to kestrova.exe" lnk_points_to "$menu/Kestrova.lnk" kestrova.exe
check "Start menu: the guide shortcut" test -s "$menu/Kestrova 利用者ガイド.lnk"
# The desktop shortcut is offered on the components page, never made by /S.
check "silent install: no desktop shortcut" \
  test -z "$(find "$WINEPREFIX/drive_c" -name "Kestrova.lnk" -not -path "*/Start Menu/*")"
check "Start menu: the browser page shortcut" lnk_points_to "$menu/Kestrova（ブラウザ版）.lnk" kestrova.html
check "uninstall key: Japanese DisplayName" has_value "\"DisplayName\"=\"Kestrova 肺機能検査 予測値計算\""
check "uninstall key: DisplayVersion $version" has_value "\"DisplayVersion\"=\"$version\""
check "uninstall key: UninstallString" has_value "\"UninstallString\"=\"\\\"C:\\\\Program Files\\\\Kestrova\\\\uninstall.exe\\\"\""
check "uninstall key: QuietUninstallString /S" \
  has_value "\"QuietUninstallString\"=\"\\\"C:\\\\Program Files\\\\Kestrova\\\\uninstall.exe\\\" /S\""
check "uninstall key: Publisher" has_value "\"Publisher\"=\"Kestrova\""
check "uninstall key: DisplayIcon is the icon of kestrova.exe" \
  has_value "\"DisplayIcon\"=\"C:\\\\Program Files\\\\Kestrova\\\\kestrova.exe,0\""
# EstimatedSize is in KiB: what the installed files take, within 10 %.
estimated_size_fits() {
  local value installed
  value=$(key_text | tr -d "\r" | sed -n "s/^\"EstimatedSize\"=dword:\([0-9a-f]\{8\}\)$/\1/p")
  [ -n "$value" ] || return 1
  installed=$(du -sk --apparent-size "$dir" | cut -f1)
  echo "EstimatedSize $((16#$value)) KiB, installed $installed KiB"
  [ $((16#$value * 10)) -ge $((installed * 9)) ] && [ $((16#$value * 10)) -le $((installed * 11)) ]
}
check "uninstall key: EstimatedSize" estimated_size_fits
for exe in kestrova.exe kestrova-cli.exe; do
  check "version information of the installed $exe" \
    python3 "$ROOT/tests/release/check_resources.py" "$dir/$exe" --name "$exe" --version "$version" >/dev/null
done
check "the installed kestrova.exe carries the application icon, the same as the installer" \
  python3 "$ROOT/tests/release/check_resources.py" "$dir/kestrova.exe" --name kestrova.exe --version "$version" \
  --icon --same-icons-as "$SETUP" >/dev/null
wine "$SHOT" "Z:$work/installed-kestrova.png" "C:\\Program Files\\Kestrova\\kestrova.exe" \
  /Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4 >/dev/null; rc=$?
check "the installed kestrova.exe shows its window and ends with 0" test "$rc" = 0
check "a screenshot of the installed kestrova.exe was saved" test -s "$work/installed-kestrova.png"

wine "C:\\Program Files\\Kestrova\\uninstall.exe" /S; rc=$?
wineserver -w
check "uninstall.exe /S exits 0" test "$rc" = 0
check "uninstalled: Program Files/Kestrova is gone" test ! -e "$dir"
check "uninstalled: the Start-menu folder is gone" test ! -e "$menu"
check "uninstalled: the uninstall key is gone" bash -c "! wine reg query \"\$0\" >/dev/null 2>&1" "$key"

# Every path in the install folder with its size and time: a refused run must
# not even rewrite a file with the same bytes.
state() { find "$dir" -printf "%P %s %T@\n" | sort; }
window_open() { xwininfo -root -tree | grep -qF "\"Kestrova ver.$version\""; }
wait_for_window() { for _ in $(seq 300); do window_open && return; sleep 0.1; done; false; }
wine "$SETUP" /S; wineserver -w
echo mine >"$dir/memo.txt"; echo mine >"$dir/images/mine.png"
wine "C:\\Program Files\\Kestrova\\kestrova.exe" >/dev/null 2>&1 & app=$!
check "the installed kestrova.exe is open" wait_for_window
before=$(state)
# `_?=` keeps the uninstaller from handing over to a copy of itself and
# returning at once: its exit code is then that of the uninstall. It must
# stand unquoted at the end of the command line; Wine quotes a word with a
# space, so the path is given as two words.
timeout 120 wine "$SETUP" /S; rc=$?
check "Kestrova open: setup.exe /S refuses with 2 (gave $rc), nothing changed" test "$rc" = 2 -a "$(state)" = "$before"
timeout 120 wine "C:\\Program Files\\Kestrova\\uninstall.exe" /S "_?=C:\\Program" "Files\\Kestrova"; rc=$?
check "Kestrova open: uninstall.exe /S refuses with 2 (gave $rc), nothing changed" test "$rc" = 2 -a "$(state)" = "$before"
kill "$app"; wait "$app"
wine "$SETUP" /S; rc=$?; wineserver -w
check "Kestrova closed: setup.exe /S exits 0" test "$rc" = 0
wine "C:\\Program Files\\Kestrova\\uninstall.exe" /S; rc=$?; wineserver -w
check "Kestrova closed: uninstall.exe /S exits 0" test "$rc" = 0
check "uninstalled around the user files: they and their folders stay, nothing else" \
  test "$(cd "$dir" && find . | sort | tr "\n" " ")" = ". ./images ./images/mine.png ./memo.txt "

wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
echo "installer e2e: $passed passed, $failed failed"
test "$failed" = 0
'
exec xvfb-run -a -n 180 -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c "$run"
