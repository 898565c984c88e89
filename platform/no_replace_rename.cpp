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
      [](const char* from, const char* to) {
        return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
      },
      ::link,
      ::unlink,
      ::rename,
      [](const char* path, dev_t* device) {
        struct stat info {};
        if (lstat(path, &info) != 0) return -1;
        *device = info.st_dev;
        return 0;
      },
  };
}

NoReplaceRenamer::Way NoReplaceRenamer::KnownWay(const std::string& from, dev_t& device,
                                                 bool& known) {
  const std::lock_guard lock(mutex_);
  known = false;
  // Until a device has refused a no-replace rename, a move costs one call.
  if (ways_.empty() || calls_.device_of(from.c_str(), &device) != 0) return Way::kNoReplace;
  known = true;
  const auto found = ways_.find(device);
  return found == ways_.end() ? Way::kNoReplace : found->second;
}

RenameOutcome NoReplaceRenamer::Try(Way way, const std::string& from, const std::string& to,
                                    bool& refused) {
  refused = false;
  const auto fail = [&](int error) {
    return RunErrorFromOs(error, "moving", from + "\" to \"" + to);
  };
  switch (way) {
    case Way::kNoReplace:
      if (calls_.rename_no_replace(from.c_str(), to.c_str()) == 0) return RenameOutcome::kRenamed;
      if (errno == EEXIST) return RenameOutcome::kTargetTaken;
      if (!NoReplaceRefused(errno)) throw fail(errno);
      break;
    case Way::kLinkUnlink:
      if (calls_.link(from.c_str(), to.c_str()) == 0) {
        if (calls_.unlink(from.c_str()) == 0) return RenameOutcome::kRenamed;
        const int error = errno;
        calls_.unlink(to.c_str());
        throw fail(error);
      }
      if (errno == EEXIST) return RenameOutcome::kTargetTaken;
      if (!HardLinksRefused(errno)) throw fail(errno);
      break;
    case Way::kCheckedRename: {
      dev_t unused = 0;
      if (calls_.device_of(to.c_str(), &unused) == 0) return RenameOutcome::kTargetTaken;
      if (errno != ENOENT) throw fail(errno);
      if (calls_.rename(from.c_str(), to.c_str()) == 0) return RenameOutcome::kRenamed;
      throw fail(errno);
    }
  }
  refused = true;
  return RenameOutcome::kTargetTaken;
}

RenameOutcome NoReplaceRenamer::Move(const std::string& from, const std::string& to) {
  dev_t device = 0;
  bool known = false;
  Way way = KnownWay(from, device, known);
  for (;;) {
    bool refused = false;
    const RenameOutcome outcome = Try(way, from, to, refused);
    if (!refused) return outcome;
    way = way == Way::kNoReplace ? Way::kLinkUnlink : Way::kCheckedRename;
    const std::lock_guard lock(mutex_);
    if (!known) known = calls_.device_of(from.c_str(), &device) == 0;
    if (known) ways_[device] = way;
  }
}

}  // namespace quillfold
