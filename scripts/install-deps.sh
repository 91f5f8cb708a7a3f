#!/usr/bin/env bash
# Installs the build dependencies on Debian (run as root, or with sudo available).
set -euo pipefail
pkgs=(g++ cmake ninja-build pkg-config libgtest-dev qt6-base-dev qt6-charts-dev libgl-dev clang)
# The page tests: an HTML parser, a headless browser (the full browser where the
# package lists know no headless shell) and CJK fonts for legible screenshots.
browser=chromium-headless-shell
apt-cache policy "$browser" 2>/dev/null | grep -q "Candidate: [0-9]" || browser=chromium
pkgs+=(python3-html5lib "$browser")
# Runtime: a font with Japanese glyphs (every caption and text of the program is Japanese).
pkgs+=(fonts-noto-cjk)
# The placement test on a real desktop: an X server, a window manager and the
# tools that read the frames it gives.
pkgs+=(xvfb openbox x11-utils)
# The placement reads the frame an X window manager announces (_NET_FRAME_EXTENTS).
pkgs+=(libxcb1-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# libFuzzer's runtime for the fuzz targets comes with clang's runtime package.
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  v=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "libclang-rt-$v-dev" >/dev/null || true
fi
