#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for SECONDS.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#
# Without TARGETs every executable named fuzz_* in build-fuzz/fuzz is run, so a new target
# added with quorvex_fuzzer() in fuzz/CMakeLists.txt is picked up without touching this
# script. A target's seed corpus is the directory fuzz/corpus/<target name>/ (for example
# fuzz/corpus/fuzz_ucs2/); a target without one starts from nothing. Seeds are copied into a
# scratch directory first, so a run never grows the committed corpus. Crash inputs and logs
# are kept under build-fuzz/findings/<target name>/. Exits non-zero when any target failed.
set -euo pipefail

usage() {
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
}
[[ $# -ge 1 && $1 =~ ^[1-9][0-9]*$ ]] || usage
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DQUORVEX_FUZZ=ON -DQUORVEX_TESTS=OFF -DQUORVEX_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' \
    -printf '%f\n' | sort)
fi
[[ ${#targets[@]} -gt 0 ]] || { echo "no fuzz_* targets in $build/fuzz" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  if [[ ! -x $binary ]]; then
    echo "$target: no such target in $build/fuzz" >&2
    failed=1
    continue
  fi
  corpus=$scratch/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  if [[ -d $root/fuzz/corpus/$target ]]; then
    cp -r "$root/fuzz/corpus/$target/." "$corpus/"
  fi
  log=$findings/last-run.log
  status=0
  "$binary" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  if [[ $status -eq 0 ]]; then
    echo "$target: ${execs:-?} executions in ${seconds}s, clean"
  else
    echo "$target: ${execs:-?} executions, FAILED (exit $status), see $log"
    failed=1
  fi
done
exit $failed
