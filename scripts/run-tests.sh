#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
# -O1 with line tables: half the compile time of -O2 -g, and sanitizer reports still name file and line.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DKV_SANITIZE=ON -DKV_BUILD_GUI=ON >/dev/null
cmake --build build-test -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# The tools the desktop tests need were installed above: a test that finds them missing fails.
export CI="${CI:-true}"
ctest --test-dir build-test --output-on-failure -j"$jobs"
