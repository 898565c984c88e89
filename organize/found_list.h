#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// The one result list of the tree searches. It holds as many entries as
// memory allows: no count of its own limits it, so a library of a million
// files is one search like any other. The entries lie end to end in one
// text, which costs a library each path's bytes and one offset per entry,
// not a string of its own per file.
class FoundList {
 public:
  void Clear();
  void Append(std::string_view entry);

  int FoundCount() const { return static_cast<int>(ends_.size()); }
  // Entry `index`, counted from 0; valid until the next Append or Clear.
  std::string_view operator[](int index) const;
  // Every entry, copied.
  std::vector<std::string> entries() const;

 private:
  std::string text_;
  std::vector<std::size_t> ends_;  // where each entry ends in text_
};

}  // namespace quillfold
