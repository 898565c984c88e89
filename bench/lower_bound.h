#pragma once

#include <cstddef>
#include <string>

namespace quillfold::bench {

struct LowerBoundFigures {
  std::size_t files = 0;
  std::size_t moved = 0;
  double walk_and_read_seconds = 0;  // walking the tree and reading every tail
  double total_seconds = 0;          // that, plus creating folders and renaming
};

// The yardstick for the organiser: only the work any organiser must do.
// Walks the tree below `base` without following links, reads the last 128
// bytes of each .mp3 (one open, one read, one close; `threads` reads at
// once, each thread taking the next file), then, one by one, creates each
// target folder once and renames each file that is not in place, never
// replacing anything. Throws std::runtime_error when a folder cannot be
// listed or a file cannot be moved.
LowerBoundFigures RunLowerBound(const std::string& base, int threads = 1);

}  // namespace quillfold::bench
