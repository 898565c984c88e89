#!/usr/bin/env bash
# Sets the project up (see setup.sh) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir "${QUILLFOLD_BUILD_DIR:-build}" --output-on-failure --timeout 300
