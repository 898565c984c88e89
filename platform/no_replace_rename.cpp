#include "platform/no_replace_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "errors/run_error.h"

namespace quillfold {
namespace {

// Answers that say "this file system cannot do it this way", as opposed to
// a failure of this one move.
bool NoReplaceRefused(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }
bool HardLinksRefused(int error) {
  return error == EPERM || error == ENOTSUP || error == ENOSYS || error == EMLINK;
}

}  // namespace

RenameCalls SystemRenameCalls() {
  return {
      [](int from_dir, const char* from, int to_dir, const char* to) {
        return renameat2(from_dir, from, to_dir, to, RENAME_NOREPLACE);
      },
      [](int from_dir, const char* from, int to_dir, const char* to) {
        return linkat(from_dir, from, to_dir, to, 0);
      },
      [](int dir, const char* name) { return unlinkat(dir, name, 0); },
      renameat,
      [](int dir, const char* name, dev_t* device) {
        struct stat info {};
        if (fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return -1;
        *device = info.st_dev;
        return 0;
      },
  };
}

std::optional<FolderAndName> NoReplaceRenamer::Locate(const std::string& path) const {
  if (folders_ == nullptr) return FolderAndName{nullptr, path};
  return folders_->Locate(path);
}

NoReplaceRenamer::Way NoReplaceRenamer::KnownWay(const End& from, dev_t& device, bool& known) {
  const std::lock_guard lock(mutex_);
  known = false;
  // Until a device has refused a no-replace rename, a move costs one call.
  if (ways_.empty() || calls_.device_of(from.at.dir(), from.at.name.c_str(), &device) != 0) {
    return Way::kNoReplace;
  }
  known = true;
  const auto found = ways_.find(device);
  return found == ways_.end() ? Way::kNoReplace : found->second;
}

RenameOutcome NoReplaceRenamer::Try(Way way, const End& from, const End& to, bool& refused) {
  refused = false;
  const auto fail = [&](int error) {
    return RunErrorFromOs(error, "moving", from.path + "\" to \"" + to.path);
  };
  const int from_dir = from.at.dir();
  const int to_dir = to.at.dir();
  const char* from_name = from.at.name.c_str();
  const char* to_name = to.at.name.c_str();
  switch (way) {
    case Way::kNoReplace:
      if (calls_.rename_no_replace(from_dir, from_name, to_dir, to_name) == 0) {
        return RenameOutcome::kRenamed;
      }
      if (errno == EEXIST) return RenameOutcome::kTargetTaken;
      if (!NoReplaceRefused(errno)) throw fail(errno);
      break;
    case Way::kLinkUnlink:
      if (calls_.link(from_dir, from_name, to_dir, to_name) == 0) {
        if (calls_.unlink(from_dir, from_name) == 0) return RenameOutcome::kRenamed;
        const int error = errno;
        calls_.unlink(to_dir, to_name);
        throw fail(error);
      }
      if (errno == EEXIST) return RenameOutcome::kTargetTaken;
      if (!HardLinksRefused(errno)) throw fail(errno);
      break;
    case Way::kCheckedRename: {
      dev_t unused = 0;
      if (calls_.device_of(to_dir, to_name, &unused) == 0) return RenameOutcome::kTargetTaken;
      if (errno != ENOENT) throw fail(errno);
      if (calls_.rename(from_dir, from_name, to_dir, to_name) == 0) return RenameOutcome::kRenamed;
      throw fail(errno);
    }
  }
  refused = true;
  return RenameOutcome::kTargetTaken;
}

RenameOutcome NoReplaceRenamer::Move(const std::string& from, const std::string& to) {
  std::optional<FolderAndName> source = Locate(from);
  std::optional<FolderAndName> target = source ? Locate(to) : std::nullopt;
  // A folder that cannot be opened fails the move as a rename by the whole
  // path would.
  if (!target) throw RunErrorFromOs(errno, "moving", from + "\" to \"" + to);
  const End source_end{std::move(*source), from};
  const End target_end{std::move(*target), to};
  dev_t device = 0;
  bool known = false;
  Way way = KnownWay(source_end, device, known);
  for (;;) {
    bool refused = false;
    const RenameOutcome outcome = Try(way, source_end, target_end, refused);
    if (!refused) return outcome;
    way = way == Way::kNoReplace ? Way::kLinkUnlink : Way::kCheckedRename;
    const std::lock_guard lock(mutex_);
    if (!known) {
      known = calls_.device_of(source_end.at.dir(), source_end.at.name.c_str(), &device) == 0;
    }
    if (known) ways_[device] = way;
  }
}

}  // namespace quillfold
