#!/usr/bin/env bash
# The sample week's prediction pages and day pages, both phases, read by real
# tools: every page parsed with html5lib (check_pages.py), one page and one day
# page rendered by the headless browser (exit 0 and a non-empty PNG).
# Usage: pages_test.sh KORIVAN_SAMPLE KORIVAN_CLI CHECK_PAGES_PY
# Exits 77 (skipped) when python3-html5lib or the headless browser is missing.
set -euo pipefail
sample="$1" cli="$2" checker="$3"

python=""
for p in /usr/bin/python3 python3; do
  if command -v "$p" >/dev/null && "$p" -c "import html5lib" 2>/dev/null; then python="$p"; break; fi
done
browser=""
for b in chromium-headless-shell chromium; do
  if command -v "$b" >/dev/null; then browser="$b"; break; fi
done
if [ -z "$python" ] || [ -z "$browser" ]; then
  echo "skipped: needs python3-html5lib and chromium-headless-shell (scripts/install-deps.sh installs them)"
  exit 77
fi

week="$(mktemp -d)"
trap 'rm -rf "$week"' EXIT
for phase in prediction result; do
  "$sample" --app-dir "$week/app" --phase "$phase" >/dev/null
  "$cli" --app-dir "$week/app" run-week >/dev/null
  echo "== $phase phase"
  "$python" "$checker" "$week/app"
done

# The browser shows a .txt file as plain text: render copies named .html.
page="$(ls "$week/app/tavlen_yosou/"*_r1.txt | head -n 1)"
day="$(ls "$week/app/tavlen_wp/"*_pdf.txt | head -n 1)"
flags=(--headless --disable-gpu --window-size=1000,1400)
[ "$(id -u)" -eq 0 ] && flags+=(--no-sandbox)
for f in "$page" "$day"; do
  html="$week/$(basename "$f" .txt).html"
  cp "$f" "$html"
  png="$html.png"
  "$browser" "${flags[@]}" --screenshot="$png" "file://$html" >/dev/null 2>&1
  [ -s "$png" ] || { echo "no screenshot of $(basename "$f")"; exit 1; }
  echo "rendered $(basename "$f"): $(stat -c %s "$png") bytes"
done
