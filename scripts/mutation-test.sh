#!/usr/bin/env bash
# Mutation testing: applies each mutation of scripts/mutations.txt in turn
# to a private copy of the tracked tree, builds it and runs the tests, and
# prints one line per mutation: "killed by" every test that fails (or
# "invalid" when the build breaks), "SURVIVED" when every test still
# passes. A mutation that no longer applies is "stale". Slow: a build and a
# test run each, so the private build is optimised lightly, without debug
# information, to keep each relink short.
#   scripts/mutation-test.sh [LIST] [ctest arguments, e.g. -E CliSignalTest]
set -euo pipefail
cd "$(dirname "$0")/.."
list=$(realpath "${1:-scripts/mutations.txt}")
shift || true

work=$(mktemp -d "${TMPDIR:-/tmp}/quillfold-mutants.XXXXXX")
trap 'rm -rf "$work"' EXIT
git ls-files -z | xargs -0 cp --parents -t "$work"
cd "$work"
# The desktop program and its tests are built only when a mutation is in it.
gui=OFF
if cut -f2 "$list" | grep -q '^app/'; then gui=ON; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DQUILLFOLD_BUILD_GUI=$gui >/dev/null
cmake --build build >/dev/null

while IFS=$'\t' read -r name file substitution; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  cp "$file" "$file.original"
  perl -0pi -e "$substitution" "$file"
  if cmp -s "$file" "$file.original"; then
    echo "stale     $name"
  elif ! cmake --build build >/dev/null 2>&1; then
    echo "invalid   $name (does not build)"
  elif ctest --test-dir build --timeout 300 "$@" >ctest.log 2>&1; then
    echo "SURVIVED  $name"
  else
    # Parameterised tests are named with their parameter after a "#".
    echo "killed    $name by $(sed 's/ *# GetParam() = .* (/ (/' ctest.log |
      grep -E -o '[A-Za-z0-9_./]+ \((Failed|Timeout|SEGFAULT|Subprocess aborted)\)' |
      cut -d' ' -f1 | sort -u | paste -sd' ')"
  fi
  mv "$file.original" "$file"
  # Newer than the mutant's object, so the next build compiles it again.
  touch "$file"
done < "$list"
