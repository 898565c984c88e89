#pragma once

#include <functional>
#include <vector>

namespace quillfold::bench {

struct Measurement {
  std::vector<double> figures;  // what the work returned: the seconds it timed, mostly
  long peak_memory_kib = 0;     // the child's peak resident set, from the OS
};

// Runs `work` in a fresh child process and waits for it. `work` times what
// it wants measured and returns the seconds of each part it timed (or any
// other figures it found). The peak memory is the child's
// own, so what the parent holds does not count beyond the few pages the
// child shares with it. Throws std::runtime_error when the child fails
// (its own message goes to standard error).
Measurement MeasureInChild(const std::function<std::vector<double>()>& work);

}  // namespace quillfold::bench
