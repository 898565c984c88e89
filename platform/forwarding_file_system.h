#pragma once

#include "platform/file_system.h"

namespace quillfold {

// Passes every call on to another file system: the base of wrappers that
// change a few calls (reading ahead, injecting faults) and forward the rest.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  char separator() const override { return inner_.separator(); }
  FolderListing ListFolder(const std::string& folder) override { return inner_.ListFolder(folder); }
  bool PathExists(const std::string& path) override { return inner_.PathExists(path); }
  bool IsSymbolicLink(const std::string& path) override { return inner_.IsSymbolicLink(path); }
  std::optional<ResolvedPath> FollowLinks(const std::string& path) override {
    return inner_.FollowLinks(path);
  }
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override {
    return inner_.ReadOrdinaryFileTail(path, tail);
  }
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override {
    return inner_.ReadOrdinaryFileParts(path, offset, head, tail);
  }
  bool IsMountPoint(const std::string& folder) override { return inner_.IsMountPoint(folder); }
  int CreateFolderChain(const std::string& folder_path) override {
    return inner_.CreateFolderChain(folder_path);
  }
  RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) override {
    return inner_.RenameNoReplace(from, to);
  }
  void RemoveEmptyFolder(const std::string& folder) override { inner_.RemoveEmptyFolder(folder); }
  std::string ReadTextFileInPieces(const std::string& path,
                                   const std::function<void()>& between_pieces) override {
    return inner_.ReadTextFileInPieces(path, between_pieces);
  }
  void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) override {
    inner_.ReplaceTextFileInPieces(path, content);
  }
  void RemoveLeftoverReplacements(const std::string& path) override {
    inner_.RemoveLeftoverReplacements(path);
  }
  std::optional<FileIdentity> IdentityOf(const std::string& path) override {
    return inner_.IdentityOf(path);
  }
  std::optional<FileIdentity> IdentityByWholePath(const std::string& path) override {
    return inner_.IdentityByWholePath(path);
  }
  std::optional<std::string> HeldFolderPath(const std::string& folder) override {
    return inner_.HeldFolderPath(folder);
  }
  bool RemoveSecondName(const std::string& extra, const std::string& kept) override {
    return inner_.RemoveSecondName(extra, kept);
  }
  void SetOwnerAndMode(const std::string& folder, const FileIdentity& identity) override {
    inner_.SetOwnerAndMode(folder, identity);
  }
  void ForgetHeldFolders() override { inner_.ForgetHeldFolders(); }
  std::unique_ptr<FolderHold> HoldForRun(const std::string& folder) override {
    return inner_.HoldForRun(folder);
  }
  UpcomingReads* upcoming_reads() override { return inner_.upcoming_reads(); }

 protected:
  FileSystem& inner_;
};

}  // namespace quillfold
