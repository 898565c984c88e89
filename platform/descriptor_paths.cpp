#include "platform/descriptor_paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>

namespace quillfold {

std::optional<std::string> DescriptorPaths::PathOf(int fd) {
  const std::lock_guard lock(mutex_);
  if (const pid_t process = getpid(); process != opened_by_) {
    links_.emplace(open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC));
    opened_by_ = process;
  }
  if (!*links_) return std::nullopt;
  char path[PATH_MAX];
  const ssize_t size = readlinkat(links_->get(), std::to_string(fd).c_str(), path, sizeof path);
  if (size <= 0 || static_cast<std::size_t>(size) >= sizeof path) return std::nullopt;
  return std::string(path, static_cast<std::size_t>(size));
}

}  // namespace quillfold
