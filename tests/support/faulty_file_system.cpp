#include "tests/support/faulty_file_system.h"

#include <cerrno>

#include "errors/run_error.h"

namespace quillfold::testing {

void FaultyFileSystem::FailListingOf(std::string folder) {
  failing_listing_ = WithoutTrailingSeparator(std::move(folder));
}

std::string FaultyFileSystem::WithoutTrailingSeparator(std::string path) const {
  if (path.size() > 1 && path.back() == separator()) path.pop_back();
  return path;
}

FolderListing FaultyFileSystem::ListFolder(const std::string& folder) {
  ++calls_.listings;
  if (!failing_listing_.empty() && WithoutTrailingSeparator(folder) == failing_listing_) {
    throw RunErrorFromOs(EACCES, "listing folder", folder);
  }
  return inner_.ListFolder(folder);
}

int FaultyFileSystem::CreateFolderChain(const std::string& folder_path) {
  ++calls_.folder_chains;
  if (disk_full_) return ENOSPC;
  return inner_.CreateFolderChain(folder_path);
}

RenameOutcome FaultyFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (++calls_.renames == failing_rename_) {
    throw RunErrorFromOs(EACCES, "moving", from + "\" to \"" + to);
  }
  if (before_rename) before_rename(from, to);
  return inner_.RenameNoReplace(from, to);
}

void FaultyFileSystem::RemoveEmptyFolder(const std::string& folder) {
  ++calls_.removals;
  inner_.RemoveEmptyFolder(folder);
}

std::string FaultyFileSystem::ReadTextFile(const std::string& path) {
  ++calls_.reads;
  return inner_.ReadTextFile(path);
}

void FaultyFileSystem::ReplaceTextFile(const std::string& path, const std::string& content) {
  ++calls_.replacements;
  if (disk_full_ || path == failing_replace_) throw RunErrorFromOs(ENOSPC, "writing", path);
  inner_.ReplaceTextFile(path, content);
}

}  // namespace quillfold::testing
