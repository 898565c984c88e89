#pragma once

#include <utility>

namespace quillfold {

// Calls a function when the scope it was made in ends, however it ends:
// the clean-up that must happen after a step, written beside the step.
template <typename Function>
class ScopeExit {
 public:
  explicit ScopeExit(Function function) : function_(std::move(function)) {}
  ~ScopeExit() { function_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Function function_;
};

}  // namespace quillfold
