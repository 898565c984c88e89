#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace quillfold::testing {

// Sets (or, given nothing, unsets) the environment variable `name` while it
// lives, then gives it back its old value, so no test leaks its environment
// into the next.
class ScopedVariable {
 public:
  ScopedVariable(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(old_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

  void Set(const std::optional<std::string>& value) const {
    value ? setenv(name_.c_str(), value->c_str(), 1) : unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace quillfold::testing
