#pragma once

#include <string>
#include <vector>

namespace quillfold {

// The one result list of the tree searches. Its count is a 16-bit number in
// the program's model, so one search holds at most 32,767 entries; the
// 32,768th ends the search with RunError kOverflow and the entries stored
// before it stay.
class FoundList {
 public:
  static constexpr int kMaxEntries = 32767;

  void Clear() { entries_.clear(); }
  // Appends `entry`; throws RunError kOverflow when the list is full.
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
