#!/usr/bin/env bash
# Reads what scripts/mutation-test.sh printed and tells, for each test
# (parameterised instances folded into their test), how many mutants it
# alone kills and how many it kills in all, fewest alone first, naming the
# mutants it alone kills; then the mutants no test killed. A test that is
# the only killer of none may go without losing a mutant.
#   scripts/mutation-killers.sh MUTATION-LOG
set -euo pipefail
awk '
  /^killed/ {
    delete seen
    n = 0
    for (i = 4; i <= NF; i++) {
      test = $i
      sub(/^[A-Za-z0-9_]+\//, "", test)
      sub(/\/.*$/, "", test)
      if (!(test in seen)) { seen[test] = 1; killers[++n] = test }
    }
    for (i = 1; i <= n; i++) kills[killers[i]]++
    if (n == 1) { alone[killers[1]]++; named[killers[1]] = named[killers[1]] " " $2 }
  }
  /^SURVIVED/ { survived[$2] = 1 }
  END {
    for (test in kills) printf "%3d %3d %s%s\n", alone[test], kills[test], test, named[test] | "sort -n"
    close("sort -n")
    for (name in survived) print "survived: " name
  }' "${1:?the log of scripts/mutation-test.sh}"
