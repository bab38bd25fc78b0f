#!/usr/bin/env bash
# The test command: installs what is missing, builds the normal and the ASan+UBSan
# configurations and runs every test in both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh

# The benchmarks are no test: leaving them out keeps the command within its time (a plain
# configure builds them; bench/README.md says how they run).
# Line tables are enough for a backtrace; full debug information at -O2 costs the library
# sources two fifths of their compile time.
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
(cd build && ctest --output-on-failure -j2 --timeout 300)
bash scripts/check_install.sh build

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# clang builds the sanitizer configuration in under half of g++'s time; the normal build stays
# with g++, so that both compilers' warnings stop the command.
asan_compiler=()
if command -v clang++ >/dev/null; then asan_compiler=(-DCMAKE_CXX_COMPILER=clang++); fi
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON "${asan_compiler[@]}"
(cd build-asan && ctest --output-on-failure -j2 --timeout 600)
