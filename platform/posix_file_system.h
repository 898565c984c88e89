#pragma once

#include "platform/descriptor_paths.h"
#include "platform/file_system.h"
#include "platform/folder_descriptors.h"
#include "platform/kept_files.h"
#include "platform/no_replace_rename.h"
#include "platform/unique_fd.h"

namespace quillfold {

// The real file system on Linux. Hidden means a name beginning with ".";
// symbolic links are never followed by a listing, a test or a removal.
// Calls are made relative to folders it holds open (FolderDescriptors), so
// each costs one name lookup and paths longer than PATH_MAX work below the
// base (the playlist replacement, which needs a whole path for its
// temporary, and FollowLinks excepted).
class PosixFileSystem final : public FileSystem {
 public:
  char separator() const override { return '/'; }
  FolderListing ListFolder(const std::string& folder) override;
  bool PathExists(const std::string& path) override;
  bool IsSymbolicLink(const std::string& path) override;
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override;
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override;
  std::optional<ResolvedPath> FollowLinks(const std::string& path) override;
  bool IsMountPoint(const std::string& folder) override;
  int CreateFolderChain(const std::string& folder_path) override;
  RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) override;
  void RemoveEmptyFolder(const std::string& folder) override;
  std::string ReadTextFileInPieces(const std::string& path,
                                   const std::function<void()>& between_pieces) override;
  void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) override;
  void RemoveLeftoverReplacements(const std::string& path) override;
  std::optional<FileIdentity> IdentityOf(const std::string& path) override;
  std::optional<FileIdentity> IdentityByWholePath(const std::string& path) override;
  std::optional<std::string> HeldFolderPath(const std::string& folder) override;
  bool RemoveSecondName(const std::string& extra, const std::string& kept) override;
  void SetOwnerAndMode(const std::string& folder, const FileIdentity& identity) override;
  std::unique_ptr<FolderHold> HoldForRun(const std::string& folder) override;
  void ForgetHeldFolders() override;

 private:
  struct OpenedFile {
    bool read = false;  // an ordinary file, open in `fd`
    int error = 0;
    std::uint64_t size = 0;
    UniqueFd fd{-1};
    std::optional<FileIdentity> identity{};
  };
  OpenedFile OpenOrdinaryFile(const std::string& path);
  void RewriteInPlace(const std::string& path, const ContentPieces& content, int folder_error);
  bool MakeFolderAndParents(const std::string& folder);
  bool MakeFolder(const std::string& folder);

  FolderDescriptors folders_;
  DescriptorPaths descriptor_paths_;
  KeptFiles<OpenedFile> kept_files_;  // for follow-up reads of parts
  NoReplaceRenamer renamer_{SystemRenameCalls(), &folders_};
};

// The one real file system of the process.
FileSystem& RealFileSystem();

}  // namespace quillfold
