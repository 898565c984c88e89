#pragma once

#include <string_view>

namespace quillfold {

// True when any argument is "--help" or "-h". Every program looks first, so
// that asking for help prints its usage (on standard output, exit status 0)
// and does no work at all, whatever else the line holds.
inline bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}

}  // namespace quillfold
