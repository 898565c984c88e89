#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds into ./build with warnings as errors. Safe to run any
# number of times.
#   scripts/setup.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

# libtag1-dev only for the tests: the ID3v2 reader is checked against TagLib.
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev qt6-base-dev libgl-dev
          fonts-dejavu-core libutf8proc-dev libtag1-dev)

scripts/install-packages.sh "${packages[@]}"

build_dir=${QUILLFOLD_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLFOLD_WERROR=ON "$@"
cmake --build "$build_dir"
