#!/usr/bin/env bash
# Sets the project up (see setup.sh) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The taggers whose files the tagger corpus test reads (it skips, with a
# line, the files of any that is missing).
scripts/install-packages.sh eyed3 python3-mutagen id3v2 ffmpeg lame
ctest --test-dir "${QUILLFOLD_BUILD_DIR:-build}" --output-on-failure --timeout 300
