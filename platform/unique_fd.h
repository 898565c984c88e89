#pragma once

#include <unistd.h>

#include <utility>

namespace quillfold {

// Owns a file descriptor and closes it when it goes out of scope.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }

  int get() const { return fd_; }

  // Closes now, so that a failing close (a late write error) can be seen.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace quillfold
