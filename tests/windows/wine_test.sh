#!/usr/bin/env bash
# wine_test.sh WIDTHxHEIGHT PREFIX PROGRAM.exe [arguments…]
# Runs one Windows test program under Wine, in a Japanese locale, on a fresh
# virtual X screen of the given size, and returns its exit code. The prefix's
# wineserver is stopped afterwards: it keeps the screen it started on.
set -uo pipefail
screen=$1 prefix=$2
shift 2
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=ja_JP.UTF-8

# Runs the program, then stops the wineserver (and waits for it) whatever the
# program's result was.
run='wine "$@"; rc=$?; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; exit $rc'

# -a: the first free display number from -n on; xvfb-run waits for the server
# to be ready and stops it when the command ends.
case $screen in
  1920x1080) first=140 ;;
  *) first=160 ;;
esac
exec xvfb-run -a -n "$first" -s "-screen 0 ${screen}x24 -nolisten tcp" bash -c "$run" _ "$@"
