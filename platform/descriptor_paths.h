#pragma once

#include <sys/types.h>

#include <mutex>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace quillfold {

// Where the OS says the file of an open descriptor is now (its link in
// /proc/self/fd), from what the kernel already knows: no request to the
// medium. The folder of links is held open rather than looked up for each
// question, and opened again in a child process, whose links those are not.
// Thread-safe.
class DescriptorPaths {
 public:
  // Nothing when the OS cannot say (no /proc, a path longer than PATH_MAX).
  std::optional<std::string> PathOf(int fd);

 private:
  std::mutex mutex_;
  pid_t opened_by_ = -1;
  std::optional<UniqueFd> links_;
};

}  // namespace quillfold
