#!/usr/bin/env bash
# kestrova-cli's standard output when it cannot be written: every output (each
# format, --help, --version, a batch) exits 1 with one line on standard error that names
# standard output and the system's reason; nothing is reported as success.
#   write_failures.sh KESTROVA_CLI
set -u
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The tool runs with the default dispositions of SIGPIPE and SIGXFSZ, as a
# shell starts it: it must turn them into write errors itself.
default_signals=(env --default-signal=PIPE,XFSZ)
mkfifo "$work/pipe"
printf 'sex,age,height,vc\nM,40,170,3.2\n' >"$work/in.csv"


patient=(/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9 /FEV1=2.6)
# Each: a name, then the arguments.
runs=("lines|--format lines ${patient[*]}" "tsv|--format tsv ${patient[*]}" "html|--format html ${patient[*]}"
      "report|${patient[*]}" "json|--format json ${patient[*]}" "csv|--format csv ${patient[*]}"
      "help|--help" "version|--version" "batch|--batch in.csv")
# Each: a name, the reason expected, and how standard output is set up. The
# pipe's only reader (descriptor 3) is closed before the tool starts.
sinks=("full disk|No space left on device|exec >/dev/full"
       "closed|Bad file descriptor|exec >&-"
       "pipe without reader|Broken pipe|exec 3<>pipe 4>pipe 3<&-; exec >&4 4>&-"
       "file-size limit|File too large|ulimit -f 0; exec >out")

failures=0
for run in "${runs[@]}"; do
  name=${run%%|*}
  read -r -a args <<<"${run#*|}"
  for sink in "${sinks[@]}"; do
    IFS='|' read -r sink_name reason setup <<<"$sink"
    rm -f "$work/out"
    err=$( (cd "$work" && eval "$setup" && exec "${default_signals[@]}" "$cli" "${args[@]}") 2>&1)
    status=$?
    expected="kestrova-cli: standard output: cannot be written ($reason)"
    if [ "$status" != 1 ] || [ "$err" != "$expected" ]; then
      echo "FAIL $name, $sink_name: exit $status, standard error: '$err' (expected 1 and '$expected')"
      failures=$((failures + 1))
    fi
  done
done
echo "$failures failures"
[ "$failures" -eq 0 ]
