#include "organize/target_folders.h"

#include <vector>

#include "errors/run_error.h"
#include "platform/path_helpers.h"

namespace quillfold {
namespace {

// A target folder (ending in the separator) as a path of its own.
std::string WithoutSeparator(const std::string& folder) {
  return folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
}

// Whether `path` is `base` followed by `below`, joined by `separator`.
bool IsAt(std::string_view path, std::string_view base, std::string_view below, char separator) {
  const bool joined = !base.ends_with(separator);
  return path.size() == base.size() + joined + below.size() && path.starts_with(base) &&
         (!joined || path[base.size()] == separator) && path.ends_with(below);
}

}  // namespace

TargetFolders::TargetFolders(FileSystem& file_system, const std::string& base_folder)
    : file_system_(file_system), base_folder_(base_folder) {}

// Undo removes what the run created, so the folders that are missing now
// are recorded, outermost first, before the chain is made.
void TargetFolders::RecordMissing(const std::vector<std::string>& folders, RunJournal& journal) {
  bool recorded = false;
  for (const std::string& folder : folders) {
    const std::string path = WithoutSeparator(folder);
    if (PathExists(file_system_, path)) continue;
    journal.WillCreateFolder(path);
    recorded = true;
  }
  if (recorded) journal.Write();
}

// Asked of the folders held open where the OS can tell where they are now,
// which costs no request to the medium; else by the whole path, one lookup
// per folder on the way. The base's own place is asked again only when the
// folder seems elsewhere: the base may have been renamed, taking it along.
bool TargetFolders::StillInPlace(const std::string& target_folder, const FileIdentity& identity) {
  const std::string folder = WithoutSeparator(target_folder);
  const char separator = file_system_.separator();
  if (const std::optional<std::string> held = file_system_.HeldFolderPath(folder)) {
    const std::string_view below = std::string_view(folder).substr(base_folder_.size());
    if (held_base_ && IsAt(*held, *held_base_, below, separator)) return true;
    held_base_ = file_system_.HeldFolderPath(WithoutSeparator(base_folder_));
    if (held_base_) return IsAt(*held, *held_base_, below, separator);
  }
  const std::optional<FileIdentity> now = file_system_.IdentityByWholePath(folder);
  return now && now->SameFile(identity);
}

void TargetFolders::ThrowIfMovedAway(const std::string& target_folder,
                                     const FileIdentity& identity) {
  if (StillInPlace(target_folder, identity)) return;
  throw RunError(ErrorNumber::kPathFileAccessError,
                 "Path/File access error (\"" + WithoutSeparator(target_folder) +
                     "\" was moved or removed while the run went on; no file is moved into it, "
                     "so that nothing leaves the base folder)");
}

void TargetFolders::Prepare(const std::string& target_folder, RunJournal* journal) {
  if (const auto known = target_identities_.find(target_folder);
      known != target_identities_.end()) {
    return ThrowIfMovedAway(known->first, known->second);
  }
  const char separator = file_system_.separator();
  std::vector<std::string> unchecked;
  for (auto end = target_folder.find(separator, base_folder_.size()); end != std::string::npos;
       end = target_folder.find(separator, end + 1)) {
    std::string folder = target_folder.substr(0, end + 1);
    if (ready_.contains(folder)) continue;
    folder.pop_back();
    if (file_system_.IsSymbolicLink(folder)) {
      throw RunError(ErrorNumber::kPathFileAccessError,
                     "Path/File access error (\"" + folder +
                         "\" is a symbolic link; no file is moved through it, so that nothing "
                         "leaves the base folder)");
    }
    unchecked.push_back(folder + separator);
  }
  if (journal != nullptr) RecordMissing(unchecked, *journal);
  // Said here, with the OS's reason, rather than left to the move that
  // would fail next with a mere "File not found".
  if (const int error = file_system_.CreateFolderChain(target_folder); error != 0) {
    throw RunErrorFromOs(error, "creating folder", WithoutSeparator(target_folder));
  }
  ready_.insert(unchecked.begin(), unchecked.end());
  ready_.insert(target_folder);
  if (const std::optional<FileIdentity> identity =
          file_system_.IdentityByWholePath(WithoutSeparator(target_folder))) {
    target_identities_.emplace(target_folder, *identity);
  }
}

}  // namespace quillfold
