#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace quillfold::testing {

// Sets an environment variable for as long as the object lives, then gives
// back what was there before (unset when it was unset), so one test's
// setting never leaks into the next.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
  }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
  ~ScopedEnvironmentVariable() {
    old_ ? setenv(name_.c_str(), old_->c_str(), 1) : unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace quillfold::testing
