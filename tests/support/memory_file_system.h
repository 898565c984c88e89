#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillfold::testing {

// A whole file system in memory, for tests that want a tree they can draw in
// a few lines, a separator of their choice (the backslash reproduces the
// classic drive-letter paths) and no disk at all. It keeps the same contract
// as the real one: hidden names, symbolic links (followed inside a path,
// never as the last component of a listing, test, tail read or removal), the
// sorted listing order and renames that never replace anything. Names are
// compared byte for byte, as on Linux. Its file-system calls may come from
// several threads at once (setting a tree up may not).
class MemoryFileSystem final : public FileSystem {
 public:
  // `root` is the one root folder and ends in `separator`: "/" or "D:\\".
  MemoryFileSystem(char separator, std::string root);
  ~MemoryFileSystem() override;

  // Setting a tree up; missing parent folders are created.
  void AddFile(const std::string& path, std::string_view content);
  void AddFolder(const std::string& path);
  void AddLink(const std::string& path, std::string_view target);
  // A file whose tail cannot be read: the read meets `error` (an errno).
  void AddUnreadableFile(const std::string& path, std::string_view content, int error);
  // Makes the folder at `path` (created if missing) a mount point.
  void AddMountPoint(const std::string& path);

  char separator() const override { return separator_; }
  FolderListing ListFolder(const std::string& folder) override;
  bool PathExists(const std::string& path) override;
  bool IsSymbolicLink(const std::string& path) override;
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override;
  std::optional<ResolvedPath> FollowLinks(const std::string& path) override;
  bool IsMountPoint(const std::string& folder) override;
  int CreateFolderChain(const std::string& folder_path) override;
  RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) override;
  void RemoveEmptyFolder(const std::string& folder) override;
  std::string ReadTextFile(const std::string& path) override;
  void ReplaceTextFile(const std::string& path, const std::string& content) override;
  // Its replacements are whole at once and leave nothing behind.
  void RemoveLeftoverReplacements(const std::string&) override {}
  std::unique_ptr<FolderHold> HoldForRun(const std::string& folder) override;
  // It holds nothing open.
  void ForgetHeldFolders() override {}

  struct Node;
  struct Location;

 private:
  Location Resolve(const std::string& path, bool follow_last);
  Location ResolveOrThrow(const std::string& path, bool follow_last, std::string_view operation);
  static void PutChild(Node& folder, const std::string& name, std::unique_ptr<Node> node);
  // Puts a file or link at `path`, creating missing parent folders.
  void AddLeaf(const std::string& path, std::unique_ptr<Node> leaf);

  char separator_;
  std::string root_path_;
  std::unique_ptr<Node> root_;
  // The folders held for runs, each ending in the separator.
  std::multiset<std::string> holds_;
  std::set<std::string> mount_points_;
  std::mutex mutex_;
};

}  // namespace quillfold::testing
