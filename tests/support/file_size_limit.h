#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace quillfold::testing {

// No file may grow past `bytes` while this lives: a write beyond it fails
// (EFBIG) instead of raising SIGXFSZ, the way a disk that fills up makes a
// write fail part-way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
};

}  // namespace quillfold::testing
