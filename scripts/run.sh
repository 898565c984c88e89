#!/usr/bin/env bash
# Sets the project up (see setup.sh) and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec "${QUILLFOLD_BUILD_DIR:-build}/app/quillfold" "$@"
