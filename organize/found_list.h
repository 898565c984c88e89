#pragma once

#include <string>
#include <vector>

namespace quillfold {

// The one result list of the tree searches. It holds as many entries as
// memory allows: no count of its own limits it, so a library of a million
// files is one search like any other.
class FoundList {
 public:
  void Clear() { entries_.clear(); }
  void Append(std::string entry);

  int FoundCount() const { return static_cast<int>(entries_.size()); }
  // Entry `index`, counted from 0.
  const std::string& operator[](int index) const {
    return entries_[static_cast<std::size_t>(index)];
  }
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace quillfold
