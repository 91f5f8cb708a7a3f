#!/usr/bin/env bash
# Installs what is needed, builds, writes the synthetic sample week into a
# folder and runs the week's road on it headless: first the prediction phase,
# then the result phase. Then runs the results of three weeks (two weeks back,
# one week back, the week) into FOLDER-weeks and, where korivan-cli has them,
# the history steps on them, their dumps into FOLDER-weeks/dumps.
# Usage: scripts/run-week.sh [FOLDER] [small|full]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
week="${1:-$PWD/out/week}"
size="${2:-small}"
weeks="$week-weeks"
# Start from empty folders; only a folder that holds an earlier sample week is cleared.
for dir in "$week" "$weeks"; do
  if [ -d "$dir" ] && [ -n "$(ls -A "$dir")" ]; then
    if [ ! -d "$dir/jvfeed" ]; then
      echo "run-week.sh: $dir is not empty and holds no sample week; choose another folder" >&2
      exit 2
    fi
    rm -rf "$dir"
  fi
done
mkdir -p "$week" "$weeks"
echo "== prediction phase"
./build/tools/sample/korivan-sample --app-dir "$week" --size "$size" --phase prediction
./build/app/korivan-cli --app-dir "$week" run-week
echo "== result phase"
./build/tools/sample/korivan-sample --app-dir "$week" --size "$size" --phase result
./build/app/korivan-cli --app-dir "$week" run-week
echo "The week's files are in $week (TEKICHU, SHUTSUBAHYO, KAIME, RACE, SOKUDO, ...)."

echo "== three weeks of results"
day_files() { ls "$weeks/TEKICHU" 2>/dev/null | grep 'tekichu\.txt$' || true; }
for back in 2 1 0; do
  before="$(day_files)"
  ./build/tools/sample/korivan-sample --app-dir "$weeks" --size "$size" --phase result --weeks-back "$back"
  ./build/app/korivan-cli --app-dir "$weeks" run-week
  # The race days of the week before the week, for the race-day view.
  if [ "$back" = 1 ]; then
    last_week="$(comm -13 <(echo "$before") <(day_files))"
  fi
done
# The history steps, where this build has them: their dumps go to files.
steps="$(./build/app/korivan-cli --help 2>&1 || true)"
has_step() { grep -q "^  $1 " <<<"$steps"; }
mkdir -p "$weeks/dumps"
if has_step history-search; then
  ./build/app/korivan-cli --app-dir "$weeks" history-search >"$weeks/dumps/history-search.txt"
fi
if has_step history-day; then
  days=()
  for f in $last_week; do days+=("--day=${f%tekichu.txt}"); done
  ./build/app/korivan-cli --app-dir "$weeks" history-day "${days[@]}" >"$weeks/dumps/history-day.txt"
fi
if has_step big-payouts; then
  ./build/app/korivan-cli --app-dir "$weeks" big-payouts >"$weeks/dumps/big-payouts.txt"
fi
echo "Three weeks of results are in $weeks (their day files in TEKICHU); the history steps' dumps, where built, in $weeks/dumps."
