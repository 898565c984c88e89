#!/usr/bin/env bash
# Builds the read-ahead's tests and the command-line tests with
# ThreadSanitizer into their own build folder (build-tsan/, or
# $QUILLFOLD_TSAN_BUILD_DIR) and runs those that use the read-ahead in this
# process (the command-line ones on a temporary folder): any data
# race fails the run.
#   scripts/test-threads.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libutf8proc-dev \
  libtag1-dev

build_dir=${QUILLFOLD_TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLFOLD_BUILD_GUI=OFF \
  -DQUILLFOLD_TSAN=ON "$@"
cmake --build "$build_dir" --target read_ahead_tests cli_tests

export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
"$build_dir/tests/read_ahead_tests"
"$build_dir/tests/cli_tests" --gtest_filter='CliInProcessTest.*:CliArgumentsTest.*'
