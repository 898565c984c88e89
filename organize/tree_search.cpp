#include "organize/tree_search.h"

#include <algorithm>

#include "errors/run_error.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// `folder` ending in exactly the separator it may already have.
std::string WithSeparator(const std::string& folder, char separator) {
  return !folder.empty() && folder.back() == separator ? folder : folder + separator;
}

// A folder as the file system reports it: no trailing separator, except on a
// root such as "/" or "D:\".
std::string ReportedFolderPath(const std::string& folder, char separator) {
  const bool is_root = folder.size() == 1 || (folder.size() == 3 && folder[1] == ':');
  if (is_root || folder.empty() || folder.back() != separator) return folder;
  return folder.substr(0, folder.size() - 1);
}

FolderListing ListOnce(const SearchScope& scope, const std::string& folder) {
  if (scope.kept == nullptr) return scope.file_system.ListFolder(folder);
  auto& kept = scope.kept->by_folder;
  if (!scope.kept->keep) {
    auto stored = kept.extract(folder);
    return stored ? std::move(stored.mapped()) : scope.file_system.ListFolder(folder);
  }
  FolderListing listing = scope.file_system.ListFolder(folder);
  kept.insert_or_assign(folder, listing);
  return listing;
}

bool MatchesAny(std::string_view name, std::span<const std::string_view> patterns) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](std::string_view pattern) { return MatchesPattern(name, pattern); });
}

// Where a search lets the front end in: its events, and its request to stop.
void LetHostIn(const SearchScope& scope) {
  scope.host.HandlePendingEvents();
  if (scope.host.StopRequested()) throw RunStopped();
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  constexpr auto kNone = std::string_view::npos;
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = kNone;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && AsciiUpper(pattern[p]) == AsciiUpper(name[n])) {
      ++p;
      ++n;
    } else if (star != kNone) {
      // Let the latest "*" swallow one more byte and try again from there.
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void FindFiles(const SearchScope& scope, const std::string& folder,
               std::span<const std::string_view> patterns) {
  const FolderListing listing = ListOnce(scope, folder);
  const std::string prefix = WithSeparator(folder, scope.file_system.separator());
  const std::string relative_prefix = prefix.substr(scope.base_folder.size());
  for (const std::string& name : listing.files) {
    if (!MatchesAny(name, patterns)) continue;
    scope.found.Append(relative_prefix + name);
    if (scope.report_progress) scope.host.SearchProgress(scope.found.FoundCount());
    LetHostIn(scope);
  }
  if (scope.links != nullptr) {
    for (const std::string& name : listing.links) {
      if (MatchesAny(name, patterns)) scope.links->push_back(relative_prefix + name);
    }
  }
  for (const std::string& name : listing.folders) {
    LetHostIn(scope);
    const std::string subfolder = prefix + name;
    if (scope.file_system.IsMountPoint(subfolder)) {
      if (scope.report_progress) scope.host.MountedFolderSkipped(subfolder);
      continue;
    }
    FindFiles(scope, subfolder, patterns);
  }
}

void FindEmptyFolders(const SearchScope& scope, const std::string& folder) {
  const FolderListing listing = scope.file_system.ListFolder(folder);
  const char separator = scope.file_system.separator();
  if (!listing.folders.empty()) {
    const std::string prefix = WithSeparator(folder, separator);
    for (const std::string& name : listing.folders) {
      LetHostIn(scope);
      const std::string subfolder = prefix + name;
      if (!scope.file_system.IsMountPoint(subfolder)) FindEmptyFolders(scope, subfolder);
    }
    return;
  }
  if (listing.empty()) scope.found.Append(ReportedFolderPath(folder, separator));
}

}  // namespace quillfold
