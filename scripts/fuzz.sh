#!/usr/bin/env bash
# Runs one fuzz target for longer than CI does:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# e.g. scripts/fuzz.sh fuzz_hextext 1800 -jobs=2 -workers=2
# The corpus it grows stays in fuzz/corpus/TARGET (not in git). An input that
# crashes or breaks a check is copied to fuzz/regressions/TARGET/, which the
# fuzz preset's CTest runs replay; commit it together with the fix.
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
cd "$(dirname "$0")/.."

case "$target" in
  fuzz_hextext) seeds=(fuzz/seeds/hextext) ;;
  fuzz_edidfile) seeds=(tests/data/edid tests/data/import fuzz/seeds/hextext) ;;
  fuzz_decoder | fuzz_decoded_text) seeds=(tests/data/edid fuzz/seeds/cta) ;;
  fuzz_edits | fuzz_transfers | fuzz_usb) seeds=(tests/data/edid) ;;
  *)
    echo "$0: unknown target $target" >&2
    exit 2
    ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target" >/dev/null

corpus=fuzz/corpus/$target
findings=fuzz/findings/$target
regressions=fuzz/regressions/$target
mkdir -p "$corpus" "$findings"
inputs=("${seeds[@]}")
[[ -d $regressions ]] && inputs+=("$regressions")

log=$findings/last-run.log
status=0
"build-fuzz/bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$@" "$corpus" "${inputs[@]}" \
  >"$log" 2>&1 || status=$?

shopt -s nullglob
# With -jobs the statistics are in the workers' logs.
workers=(fuzz-*.log)
runs=$(cat "$log" "${workers[@]}" | sed -n 's/^stat::number_of_executed_units: //p' |
  awk '{ n += $1 } END { print n + 0 }')
# The run may end before SECONDS, at a -runs limit or a finding.
took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n1)
rm -f "${workers[@]}"
found=0
for finding in "$findings"/crash-* "$findings"/leak-* "$findings"/timeout-* "$findings"/oom-*; do
  mkdir -p "$regressions"
  mv "$finding" "$regressions/"
  found=$((found + 1))
done
echo "$target: $runs executions in ${took:-$seconds} s, $found finding(s), corpus $(ls "$corpus" | wc -l) inputs"
if [[ $found -gt 0 || $status -ne 0 ]]; then
  echo "see $log; findings are in $regressions/" >&2
  exit 1
fi
