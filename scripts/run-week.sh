#!/usr/bin/env bash
# Installs what is needed, builds, writes the synthetic sample week into a
# folder and runs the week's road on it headless: first the prediction phase,
# then the result phase. Usage: scripts/run-week.sh [FOLDER] [small|full]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
week="${1:-$PWD/out/week}"
size="${2:-small}"
# Start from an empty week; only a folder that holds an earlier sample week is cleared.
if [ -d "$week" ] && [ -n "$(ls -A "$week")" ]; then
  if [ ! -d "$week/jvfeed" ]; then
    echo "run-week.sh: $week is not empty and holds no sample week; choose another folder" >&2
    exit 2
  fi
  rm -rf "$week"
fi
mkdir -p "$week"
echo "== prediction phase"
./build/tools/sample/korivan-sample --app-dir "$week" --size "$size" --phase prediction
./build/app/korivan-cli --app-dir "$week" run-week
echo "== result phase"
./build/tools/sample/korivan-sample --app-dir "$week" --size "$size" --phase result
./build/app/korivan-cli --app-dir "$week" run-week
echo "The week's files are in $week (TEKICHU, SHUTSUBAHYO, KAIME, RACE, SOKUDO, ...)."
