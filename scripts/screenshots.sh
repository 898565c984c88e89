#!/usr/bin/env bash
# Builds the project, then opens the desktop program's three windows on a
# virtual X display (Xvfb) with a sample collection and saves a PNG of each
# into screenshots/ (ignored by git).
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v xvfb-run >/dev/null || missing+=(xvfb)
command -v xauth >/dev/null || missing+=(xauth)
if ((${#missing[@]})); then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

scripts/setup.sh
build_dir=${QUILLFOLD_BUILD_DIR:-build}
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24 -dpi 96" \
  "$build_dir/app/quillfold_screenshots" screenshots
