#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# into a second build folder (build-sanitize/, or $QUILLFOLD_SANITIZE_BUILD_DIR)
# and runs every test there. Any memory error, leak or undefined behaviour
# stops the test that hit it, so the run fails.
#   scripts/test-sanitizers.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${QUILLFOLD_SANITIZE_BUILD_DIR:-build-sanitize}
QUILLFOLD_BUILD_DIR=$build_dir scripts/setup.sh -DQUILLFOLD_SANITIZE=ON "$@"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 -j2
