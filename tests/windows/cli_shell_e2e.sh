#!/usr/bin/env bash
# cli_shell_e2e.sh PREFIX kestrova-cli.exe WORK: kestrova-cli.exe under Wine as
# a Unix shell starts it, in a Japanese locale: Japanese file and folder names
# (relative, and absolute under デスクトップ), and standard streams that are
# the input file (Wine cannot give these handles' full identity: error 6);
# and GLI's unrounded numbers, the same bits as the Linux build's.
set -uo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
unset DISPLAY
cli=$2 work=$3
gli_json=$(cd "$(dirname "$0")/../cli" && pwd)/girl_8_gli.json  # what the Linux build writes
rm -rf "$work" && mkdir -p "$work/デスクトップ" && cd "$work" || exit 1
failed=0
patients=$'id,sex,age,height\r\nA-1,M,40,170\r\n'
printf '%s' "$patients" >健診.csv
cp 健診.csv デスクトップ/健診.csv
desktop="Z:${PWD//\//\\}\\デスクトップ"
echo "half a run" >.kestrova-4194300-0.tmp  # of a killed run: the first run here removes it

# Each case: a name, the command's arguments and redirections, the exit
# status, and a check that must hold afterwards.
while IFS='|' read -r name command status check; do
  cp 健診.csv in.csv
  eval "wine \"\$cli\" $command" 2>err.txt
  rc=$?
  [ "$rc" = "$status" ] || { echo "FAIL: $name: exit status $rc, expected $status: $(cat err.txt)"; failed=1; }
  eval "$check" || { echo "FAIL: $name: $check"; failed=1; }
done <<'EOF'
Japanese names|--batch 健診.csv -o 結果.csv --html-dir 報告書|0|head -c 9 結果.csv | grep -q id,sex,ag && [ -f 報告書/index.html ] && [ -f 報告書/A-1.html ]
absolute path under デスクトップ|--batch "$desktop\\健診.csv" -o "$desktop\\結果.csv" --html-dir "$desktop\\報告書"|0|head -c 9 デスクトップ/結果.csv | grep -q id,sex,ag && [ -f デスクトップ/報告書/A-1.html ]
-o is the input given as standard input|--batch - -o in.csv <in.csv|64|cmp -s in.csv 健診.csv && grep -q 'in.csv is the input file' err.txt
standard output appends to the input|--batch in.csv >>in.csv|64|cmp -s in.csv 健診.csv
control: another -o from standard input|--batch - -o other.csv <in.csv|0|head -c 9 other.csv | grep -q id,sex,ag
GLI to the last bit, as on Linux|--format json --gli global,2012 --gli-group caucasian /Sex=F /Age=8.3 /Setake=128.4 /FVC=1.61 /FEV1=1.42 >gli.json|0|tr -d '\r' <gli.json | cmp -s - "$gli_json" && rm gli.json
EOF
[ "$(ls -A | LC_ALL=C sort | tr '\n' ' ')" = "err.txt in.csv other.csv デスクトップ 健診.csv 報告書 結果.csv " ] ||
  { echo "FAIL: the folder holds $(ls -A)"; failed=1; }
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
[ "$failed" = 0 ] && echo "kestrova-cli.exe from the shell: all cases passed"
exit "$failed"
