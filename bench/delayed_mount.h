#pragma once

#include <sys/types.h>

#include <string>

namespace quillfold::bench {

// A latency simulator: `source` mounted at `mount_point` through
// quillfold-passthrough-fs, every request waiting `delay_us` microseconds,
// many served at once and nothing cached by the kernel, as on a file
// server. Unmounted when destroyed; should this process die first, the
// passthrough dies with it and its mount goes too (auto_unmount).
class DelayedMount {
 public:
  DelayedMount(const std::string& source, const std::string& mount_point, int delay_us);
  DelayedMount(const DelayedMount&) = delete;
  DelayedMount& operator=(const DelayedMount&) = delete;
  ~DelayedMount();

  // Why no simulator can be mounted here, or empty when one can.
  static std::string Unavailable();

 private:
  std::string mount_point_;
  pid_t server_ = -1;
};

}  // namespace quillfold::bench
