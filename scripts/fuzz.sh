#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer), writes seed corpora from the sample week and
# runs every target for SECONDS seconds (default 600), after replaying the
# inputs kept in fuzz/regressions. Exits non-zero on any finding; its input
# lands in build-fuzz/findings. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-600}"
bash scripts/install-deps.sh
out=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DKV_BUILD_GUI=OFF -DKV_BUILD_TESTS=OFF >/dev/null
# The sample week's generator and driver: those of the test build (CI builds it
# first) or of the development build when there is one.
for b in build-test build ""; do
  sample=$b/tools/sample/korivan-sample
  cli=$b/app/korivan-cli
  [ -n "$b" ] && [ -x "$sample" ] && [ -x "$cli" ] && break
done
if [ ! -x "$sample" ] || [ ! -x "$cli" ]; then
  cmake --build "$out" -j"$(nproc)" --target korivan-sample korivan-cli
  sample="$out/tools/sample/korivan-sample"
  cli="$out/app/korivan-cli"
fi
cmake --build "$out" -j"$(nproc)" --target kv_fuzz_all
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
week="$out/sample-week"
if [ ! -d "$week/jvfeed" ]; then
  mkdir -p "$week"
  "$sample" --app-dir "$week" --phase result >/dev/null
fi
# The week's road writes the day files under TEKICHU that the history windows read.
if [ ! -d "$week/TEKICHU" ]; then
  "$cli" --app-dir "$week" run-week >/dev/null 2>&1 || true
fi
rm -rf "$out/seeds"
"$out/fuzz/kv-fuzz-seeds" "$week" "$out/seeds"
mkdir -p "$out/findings"
targets=(jvdata_fuzz quoted_fuzz codetable_fuzz feedcontrol_fuzz stats_fuzz weights_fuzz oddstables_fuzz
  history_dayfiles_fuzz)
status=0
for t in "${targets[@]}"; do
  echo "== $t (${secs}s)"
  mkdir -p "$out/corpus/$t" "$out/seeds/$t"
  if compgen -G "fuzz/regressions/$t/*" >/dev/null; then
    "$out/fuzz/$t" -artifact_prefix="$out/findings/$t-" fuzz/regressions/$t/* 2>"$out/findings/$t-regressions.log" \
      || { echo "$t: a kept regression input fails (see $out/findings/$t-regressions.log)"; status=1; continue; }
  fi
  if ! "$out/fuzz/$t" -max_total_time="$secs" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$out/findings/$t-" "$out/corpus/$t" "$out/seeds/$t" >"$out/findings/$t.log" 2>&1; then
    echo "$t: finding (see $out/findings/$t.log)"
    tail -40 "$out/findings/$t.log"
    status=1
  else
    grep -E "^stat::number_of_executed_units" "$out/findings/$t.log" || true
  fi
done
exit $status
