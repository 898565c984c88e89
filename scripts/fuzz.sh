#!/usr/bin/env bash
# Builds the libFuzzer programs with clang 14 (AddressSanitizer and UBSan on)
# into build-fuzz/ and runs each for a bounded time, default 60 seconds:
#   scripts/fuzz.sh [seconds per target] [target...]
# Each target starts from its kept inputs in tests/fuzz/regressions/<target>/
# (and the tokens in tests/fuzz/<target>.dict when there is one) and grows a
# working corpus in build-fuzz/corpus/<target>/. When a target
# breaks, the script stops with the failing input's path: fix the fault, then
# copy that input into tests/fuzz/regressions/<target>/ so the ordinary test
# suite replays it for good.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
scripts/install-packages.sh clang-14 libclang-rt-14-dev cmake ninja-build pkg-config libgtest-dev \
  libgmock-dev libutf8proc-dev libtag1-dev

build_dir=${QUILLFOLD_FUZZ_BUILD_DIR:-build-fuzz}
CXX=clang++-14 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLFOLD_FUZZ=ON -DQUILLFOLD_WERROR=ON -DQUILLFOLD_BUILD_GUI=OFF >/dev/null
cmake --build "$build_dir" --target quillfold_fuzzers

targets=("$@")
if ((${#targets[@]} == 0)); then
  for program in "$build_dir"/tests/fuzz/fuzz_*; do
    [ -x "$program" ] && targets+=("${program##*/fuzz_}")
  done
fi

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in "${targets[@]}"; do
  corpus=$build_dir/corpus/$target
  artifacts=$build_dir/artifacts/$target/
  mkdir -p "$corpus" "$artifacts"
  dictionary=()
  if [ -f "tests/fuzz/$target.dict" ]; then dictionary=(-dict="tests/fuzz/$target.dict"); fi
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      "${dictionary[@]}" -artifact_prefix="$artifacts" "$corpus" "tests/fuzz/regressions/$target" \
      2>"$build_dir/fuzz_$target.log"; then
    tail -40 "$build_dir/fuzz_$target.log"
    echo "fuzz_$target broke; the failing input is in $artifacts" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$build_dir/fuzz_$target.log"
done
