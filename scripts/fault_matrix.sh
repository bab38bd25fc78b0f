#!/bin/sh
# The whole fault matrix (every fault after 1 and after half of each operation's exchanges),
# with its table of passed cells. CI runs a shorter matrix through ctest.
#   scripts/fault_matrix.sh [build-dir]   (default: build)
set -eu
build=${1:-build}
binary="$build/tests/reliability/reliability_tests"
if [ ! -x "$binary" ]; then
  echo "no $binary: build the target reliability_tests first" >&2
  exit 1
fi
QUORVEX_FULL_MATRIX=1 exec "$binary" --gtest_filter='Operations/FaultMatrix.*' --gtest_brief=1
