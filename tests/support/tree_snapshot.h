#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_folder.h"
#include "text/ascii.h"

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
inline TreeSnapshot TakeSnapshot(const std::string& root) {
  TreeSnapshot tree;
  const std::filesystem::path base(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    const std::string relative = entry.path().lexically_relative(base).generic_string();
    if (entry.is_symlink()) {
      tree.links[relative] = std::filesystem::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      tree.folders.insert(relative);
    } else {
      tree.files[relative] = ReadFile(entry.path().string());
    }
  }
  return tree;
}

// The contents of the files whose names end in `extension` (ASCII letter
// case ignored), sorted. Two equal results mean no such file was lost,
// duplicated or changed, wherever the files now lie.
inline std::vector<std::string> ContentsOf(const TreeSnapshot& tree, std::string_view extension) {
  const std::string wanted = AsciiUpper(extension);
  std::vector<std::string> contents;
  for (const auto& [path, content] : tree.files) {
    if (AsciiUpper(path).ends_with(wanted)) contents.push_back(content);
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

// Short form for failure messages: the paths, not the contents.
inline void PrintTo(const TreeSnapshot& tree, std::ostream* os) {
  *os << tree.files.size() << " files, " << tree.links.size() << " links, " << tree.folders.size()
      << " folders:";
  for (const auto& [path, content] : tree.files)
    *os << "\n  " << path << " (" << content.size() << " bytes)";
  for (const auto& [path, target] : tree.links) *os << "\n  " << path << " -> " << target;
  for (const auto& folder : tree.folders) *os << "\n  " << folder << "/";
}

}  // namespace quillfold::testing
