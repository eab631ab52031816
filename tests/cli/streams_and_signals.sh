#!/usr/bin/env bash
# streams_and_signals.sh CLI WORK: kestrova-cli --batch as a process, as the
# shell starts it: with standard streams closed, interrupted by signals, and
# killed at random moments of a large run. The -o target must stay as it was
# or be complete, and no temporary file may outlive the next run.
set -uo pipefail
set -m  # background jobs get SIGINT like any other signal (they ignore it without job control)
cli=$(realpath "$1") work=$2
rm -rf "$work" && mkdir -p "$work/out" && cd "$work" || exit 1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
temporaries() { find out -mindepth 1 ! -name '*.csv' | wc -l; }  # the targets all end in .csv

printf 'id,sex,age,height\nA-1,M,40,170\nA-2,M,forty,170\n' >bad.csv
awk 'BEGIN {
  print "id,sex,age,height,vc,fvc,fev1"
  for (i = 0; i < 200000; i++) printf "P%d,%s,%d,%d,3.1,3.0,2.4\n", i, (i % 2 ? "F" : "M"), 20 + i % 60, 150 + i % 40
}' >big.csv
"$cli" --batch big.csv -o complete.csv || fail "the reference run failed"
head -n 2001 big.csv >mid.csv  # with --html-dir: some seconds of reports
"$cli" --batch mid.csv -o ref.csv --html-dir ref || fail "the reference run with --html-dir failed"

# Closed standard streams: each case is a redirection, the status, and a check.
# Standard error closed: a diagnostic must not land in the output (fd 2).
# Standard input closed: a read error (1), not an empty input (2).
while IFS='|' read -r name redirect status check; do
  rm -f out/c.csv err.txt
  eval "\"$cli\" --batch - -o out/c.csv $redirect"
  rc=$?
  [ "$rc" = "$status" ] || fail "$name: exit status $rc, expected $status"
  eval "$check" || fail "$name: $check"
done <<'EOF'
standard error closed|2>&- <bad.csv|2|! grep -q kestrova-cli out/c.csv && [ "$(wc -l <out/c.csv)" = 3 ]
standard input closed|<&- 2>err.txt|1|grep -q '^kestrova-cli: -: cannot be read' err.txt && [ ! -e out/c.csv ]
standard output closed|>&- <bad.csv 2>err.txt|2|[ "$(wc -l <out/c.csv)" = 3 ]
EOF

# Threads or memory the system will not give (100 MB stacks in 3 GB of address
# space leave room for about 25 of 256 threads): the run goes on with the
# threads it has, or ends with a one-line reason and status 1; it never aborts,
# and leaves no temporary file. (Skipped under AddressSanitizer, whose shadow
# memory needs the address space.)
if ! grep -q __asan_init "$cli"; then
  (ulimit -s 100000 -v 3000000 && exec "$cli" --batch big.csv -o out/j.csv --jobs 256 2>err.txt)
  rc=$?
  if [ "$rc" = 0 ]; then
    cmp -s out/j.csv complete.csv || fail "--jobs 256 under a memory limit: the output differs"
  elif [ "$rc" != 1 ] || [ "$(cat err.txt)" != "kestrova-cli: out of memory" ]; then
    fail "--jobs 256 under a memory limit: exit status $rc, $(cat err.txt)"
  fi
  [ "$(temporaries)" = 0 ] || fail "--jobs 256 under a memory limit: temporary file left"
  rm -f out/j.csv
fi

# A reader that goes away and a file-size limit, with the default dispositions
# of SIGPIPE and SIGXFSZ as a shell gives them: status 1 and a reason, never
# death by the signal; the -o target keeps its content, no temporary file left.
ulimit -c 0  # should SIGXFSZ still end the run, without a core
env --default-signal=PIPE "$cli" --batch big.csv 2>err.txt | head -c 100 >/dev/null
rc=${PIPESTATUS[0]}
[ "$rc" = 1 ] || fail "output piped to head -c 100: exit status $rc, expected 1"
echo "earlier results" >out/f.csv
(ulimit -f 100 && exec env --default-signal=XFSZ "$cli" --batch big.csv -o out/f.csv 2>err.txt)
rc=$?
[ "$rc" = 1 ] || fail "-o past the file-size limit: exit status $rc, expected 1"
grep -q 'File too large' err.txt || fail "-o past the file-size limit: $(cat err.txt)"
[ "$(cat out/f.csv)" = "earlier results" ] || fail "-o past the file-size limit: the target changed"
[ "$(temporaries)" = 0 ] || fail "-o past the file-size limit: temporary file left"

# A run in another PID namespace cannot see this one's process, yet leaves its
# live temporary file alone (a lock held on the file decides, not its process id).
mkfifo input.fifo
if unshare --pid --fork --mount-proc true 2>/dev/null; then
  "$cli" --batch input.fifo -o out/a.csv 2>/dev/null &
  pid=$!
  exec 3>input.fifo
  head -n 1001 big.csv >&3
  sleep 0.2
  unshare --pid --fork --mount-proc "$cli" --batch bad.csv -o out/b.csv 2>/dev/null
  [ "$(temporaries)" = 1 ] || fail "a run in another PID namespace removed a live temporary file"
  exec 3>&-
  wait "$pid" || fail "the run beside another PID namespace's run failed"
  [ "$(wc -l <out/a.csv)" = 1001 ] || fail "the run beside another PID namespace's run lost rows"
  rm -f out/a.csv out/b.csv
else
  echo "skipped: a run in another PID namespace (unshare --pid is not permitted here)"
fi

# A signal while the run waits for more input: the target keeps its content
# and the temporary file is gone when the process has ended.
for signal in INT TERM HUP; do
  echo "earlier results" >out/r.csv
  "$cli" --batch input.fifo -o out/r.csv 2>/dev/null &
  pid=$!
  exec 3>input.fifo  # kept open: the run reads all of big.csv, then waits
  cat big.csv >&3
  sleep 0.2
  [ "$(temporaries)" = 1 ] || fail "SIG$signal: no temporary file while the run goes on"
  kill -s "$signal" "$pid"
  wait "$pid"
  rc=$?
  exec 3>&-
  [ "$rc" -gt 128 ] || fail "SIG$signal: exit status $rc, expected death by the signal"
  [ "$(cat out/r.csv)" = "earlier results" ] || fail "SIG$signal: the target changed"
  [ "$(temporaries)" = 0 ] || fail "SIG$signal: temporary file left: $(ls -a out)"
done

# Killed at a random moment: the target is the old one or complete; SIGKILL
# leaves a temporary file, which the next run in the folder removes. The same
# for the pages of --html-dir.
for round in 1 2 3; do
  for signal in INT TERM KILL; do
    echo "earlier results" >out/k.csv
    "$cli" --batch big.csv -o out/k.csv 2>/dev/null &
    pid=$!
    sleep "$((RANDOM % 2)).$((RANDOM % 90 + 10))"  # 0.10 to 1.99 s
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid"
    if [ "$(cat out/k.csv)" != "earlier results" ] && ! cmp -s out/k.csv complete.csv; then
      fail "SIG$signal (round $round): the target is neither the old one nor complete"
    fi
    if [ "$signal" != KILL ] && [ "$(temporaries)" != 0 ]; then
      fail "SIG$signal (round $round): temporary file left"
    fi
    "$cli" --batch bad.csv -o out/next.csv 2>/dev/null
    [ "$(temporaries)" = 0 ] || fail "SIG$signal (round $round): temporary file left after the next run"

    # --html-dir: the index is the old one or complete, each report is complete.
    mkdir -p html && echo "old index" >html/index.html
    "$cli" --batch mid.csv -o out/h.csv --html-dir html 2>/dev/null &
    pid=$!
    sleep "$(/usr/bin/python3 -c 'import random; print(random.uniform(0.05, 2.0))')"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid"
    if [ "$(cat html/index.html)" != "old index" ] && ! cmp -s html/index.html ref/index.html; then
      fail "SIG$signal (round $round): the index is neither the old one nor complete"
    fi
    for page in html/P*.html; do
      [ -e "$page" ] || continue
      cmp -s "$page" "ref/${page#html/}" || fail "SIG$signal (round $round): $page is not complete"
    done
    "$cli" --batch bad.csv --html-dir html >/dev/null 2>&1
    [ -z "$(find html -name '.kestrova-*')" ] || fail "SIG$signal (round $round): temporary file left in html/"
    rm -rf html
  done
done

[ "$failed" = 0 ] && echo "streams and signals: all cases passed"
exit "$failed"
