#pragma once

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold::testing {

// Everything a folder tree holds, for comparing it before and after a run.
// Paths are relative to the root and "/"-separated; links are recorded with
// their targets and never followed.
struct TreeSnapshot {
  std::map<std::string, std::string> files;  // path -> content
  std::map<std::string, std::string> links;  // path -> target
  std::set<std::string> folders;

  bool operator==(const TreeSnapshot&) const = default;
};

// The tree below `root` (a folder path, with or without a trailing "/").
TreeSnapshot TakeSnapshot(const std::string& root);

// The contents of the files whose names end in `extension` (ASCII letter
// case ignored), sorted. Two equal results mean no such file was lost,
// duplicated or changed, wherever the files now lie.
std::vector<std::string> ContentsOf(const TreeSnapshot& tree, std::string_view extension);

// Short form for failure messages: the paths, not the contents.
void PrintTo(const TreeSnapshot& tree, std::ostream* os);

}  // namespace quillfold::testing
