#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "errors/run_error.h"
#include "platform/forwarding_file_system.h"

namespace quillfold::testing {

// Forwards every call to another file system, counts the calls, and breaks
// exactly the ones a test names. A broken call throws RunError as the real
// one would and changes nothing.
class FaultyFileSystem final : public ForwardingFileSystem {
 public:
  struct Calls {
    std::atomic<int> listings = 0;  // read-ahead workers list folders too
    int folder_chains = 0;
    int renames = 0;
    int removals = 0;
    int reads = 0;
    std::atomic<int> replacements = 0;  // two playlist writers replace at once
    int whole_path_lookups = 0;         // IdentityByWholePath, asked on the run's thread
  };

  explicit FaultyFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

  // The `number`th rename from now on (1 = the next) fails.
  void FailRenameNumber(int number) { failing_rename_ = calls_.renames + number; }
  // Replacing the file at `path` fails half-way, as when the disk fills up
  // while it is written: kDiskFull, and the old file stays whole.
  void FailReplaceOf(std::string path) { failing_replace_ = std::move(path); }
  // Listing `folder` (with or without a trailing separator) is refused.
  void FailListingOf(std::string folder) {
    failing_listing_ = WithoutTrailingSeparator(std::move(folder));
  }
  // No room left: folder chains cannot be created and replacements fail.
  void SetDiskFull(bool full) { disk_full_ = full; }
  // Reading the tail of the file at `path` meets `error` (an errno value).
  void FailTailReadOf(std::string path, int error) { failing_tail_ = {std::move(path), error}; }
  // `folder` (without a trailing separator) is the root of another file system.
  void AddMountPoint(std::string folder) { mount_points_.insert(std::move(folder)); }
  // `count` files that exist only in the listing of `folder` (with its
  // trailing separator), "listed-0.mp3" and on: reading one finds no tag, and
  // moving one succeeds and is counted. A library larger than a test could
  // write in time.
  void AddListedOnlyFiles(std::string folder, int count) {
    listed_only_ = {std::move(folder), count};
  }
  // Each tail read first waits this long, as on a slow medium.
  std::chrono::microseconds tail_delay{0};
  // Runs just before each rename is passed on, e.g. to take its target.
  std::function<void(const std::string& from, const std::string& to)> before_rename;
  // Runs just after each rename that was passed on, e.g. to move its folder.
  std::function<void(const std::string& from, const std::string& to)> after_rename;
  // Runs before and after every call that changes the disk, e.g. to end the
  // process exactly between two of them.
  std::function<void()> around_change;

  const Calls& calls() const { return calls_; }
  // Tail reads finished so far, on any thread.
  int tail_reads() const { return tail_reads_; }
  // Where each read of a file's parts began, on any thread.
  std::vector<std::uint64_t> part_offsets() const {
    const std::lock_guard lock(parts_mutex_);
    return part_offsets_;
  }

  // Calls `call`, passing around_change before and after it.
  template <typename Call>
  auto Change(Call call) -> decltype(call()) {
    if (around_change) around_change();
    auto result = call();
    if (around_change) around_change();
    return result;
  }

  FolderListing ListFolder(const std::string& folder) override {
    ++calls_.listings;
    if (!failing_listing_.empty() && WithoutTrailingSeparator(folder) == failing_listing_) {
      throw RunErrorFromOs(EACCES, "listing folder", folder);
    }
    FolderListing listing = inner_.ListFolder(folder);
    if (WithoutTrailingSeparator(folder) == WithoutTrailingSeparator(listed_only_.first)) {
      for (int i = 0; i < listed_only_.second; ++i) {
        listing.files.push_back(kListedOnly + std::to_string(i) + ".mp3");
      }
    }
    return listing;
  }
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override {
    std::this_thread::sleep_for(tail_delay);
    const TailRead read = path == failing_tail_.first ? TailRead{false, failing_tail_.second}
                          : IsListedOnly(path)        ? TailRead{}
                                                      : inner_.ReadOrdinaryFileTail(path, tail);
    ++tail_reads_;
    return read;
  }
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override {
    {
      const std::lock_guard lock(parts_mutex_);
      part_offsets_.push_back(offset);
    }
    return inner_.ReadOrdinaryFileParts(path, offset, head, tail);
  }
  bool IsMountPoint(const std::string& folder) override {
    return mount_points_.contains(folder) || inner_.IsMountPoint(folder);
  }
  int CreateFolderChain(const std::string& folder_path) override {
    ++calls_.folder_chains;
    if (disk_full_) return ENOSPC;
    return Change([&] { return inner_.CreateFolderChain(folder_path); });
  }
  RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) override {
    if (++calls_.renames == failing_rename_) {
      throw RunErrorFromOs(EACCES, "moving", from + "\" to \"" + to);
    }
    if (before_rename) before_rename(from, to);
    if (IsListedOnly(from)) return RenameOutcome::kRenamed;
    const RenameOutcome outcome = Change([&] { return inner_.RenameNoReplace(from, to); });
    if (after_rename) after_rename(from, to);
    return outcome;
  }
  void RemoveEmptyFolder(const std::string& folder) override {
    ++calls_.removals;
    Change([&] { return (inner_.RemoveEmptyFolder(folder), 0); });
  }
  std::string ReadTextFileInPieces(const std::string& path,
                                   const std::function<void()>& between_pieces) override {
    ++calls_.reads;
    return inner_.ReadTextFileInPieces(path, between_pieces);
  }
  void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) override {
    ++calls_.replacements;
    if (disk_full_ || path == failing_replace_) throw RunErrorFromOs(ENOSPC, "writing", path);
    Change([&] { return (inner_.ReplaceTextFileInPieces(path, content), 0); });
  }
  std::optional<FileIdentity> IdentityByWholePath(const std::string& path) override {
    ++calls_.whole_path_lookups;
    return inner_.IdentityByWholePath(path);
  }
  bool RemoveSecondName(const std::string& extra, const std::string& kept) override {
    return Change([&] { return inner_.RemoveSecondName(extra, kept); });
  }

 private:
  static constexpr const char* kListedOnly = "listed-";

  bool IsListedOnly(const std::string& path) const {
    return listed_only_.second > 0 && path.starts_with(listed_only_.first + kListedOnly);
  }
  std::string WithoutTrailingSeparator(std::string path) const {
    if (path.size() > 1 && path.back() == separator()) path.pop_back();
    return path;
  }

  Calls calls_;
  int failing_rename_ = 0;
  std::string failing_replace_;
  std::string failing_listing_;
  bool disk_full_ = false;
  std::pair<std::string, int> failing_tail_;
  std::set<std::string> mount_points_;
  std::pair<std::string, int> listed_only_;
  std::atomic<int> tail_reads_ = 0;
  mutable std::mutex parts_mutex_;
  std::vector<std::uint64_t> part_offsets_;
};

}  // namespace quillfold::testing
