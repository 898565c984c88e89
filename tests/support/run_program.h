#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quillfold::testing {

struct ProgramResult {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status; -1 when the program did not exit normally
};

enum class StandardOutput {
  kCollected,   // kept in ProgramResult::out
  kClosedPipe,  // a pipe whose reader has gone away
};

// A signal sent to the program `after` it started, unless it ended before.
struct LateSignal {
  std::chrono::microseconds after;
  int number;
};

// Runs `program` with `args` in `folder`, standard input from /dev/null (so
// it is not a terminal), and collects both output streams separately.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder,
                         StandardOutput output = StandardOutput::kCollected,
                         std::optional<LateSignal> signal = std::nullopt);

}  // namespace quillfold::testing
