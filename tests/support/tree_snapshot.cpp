#include "tests/support/tree_snapshot.h"

#include <algorithm>
#include <filesystem>

#include "tags/ascii.h"
#include "tests/support/temp_folder.h"

namespace quillfold::testing {

namespace fs = std::filesystem;

TreeSnapshot TakeSnapshot(const std::string& root) {
  TreeSnapshot tree;
  const fs::path base(root);
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    const std::string relative = entry.path().lexically_relative(base).generic_string();
    if (entry.is_symlink()) {
      tree.links[relative] = fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      tree.folders.insert(relative);
    } else {
      tree.files[relative] = ReadFile(entry.path().string());
    }
  }
  return tree;
}

std::vector<std::string> ContentsOf(const TreeSnapshot& tree, std::string_view extension) {
  const std::string wanted = AsciiUpper(extension);
  std::vector<std::string> contents;
  for (const auto& [path, content] : tree.files) {
    if (AsciiUpper(path).ends_with(wanted)) contents.push_back(content);
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

void PrintTo(const TreeSnapshot& tree, std::ostream* os) {
  *os << tree.files.size() << " files, " << tree.links.size() << " links, " << tree.folders.size()
      << " folders:";
  for (const auto& [path, content] : tree.files)
    *os << "\n  " << path << " (" << content.size() << " bytes)";
  for (const auto& [path, target] : tree.links) *os << "\n  " << path << " -> " << target;
  for (const auto& folder : tree.folders) *os << "\n  " << folder << "/";
}

}  // namespace quillfold::testing
