#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/file_system.h"
#include "platform/folder_descriptors.h"

namespace quillfold {

// The system calls a no-replace move is made of, each on a name in a folder
// held open (AT_FDCWD: a whole path); a test puts in its own. Each returns
// 0 or -1 with errno set, as the real ones do.
struct RenameCalls {
  int (*rename_no_replace)(int from_dir, const char* from, int to_dir, const char* to);
  int (*link)(int from_dir, const char* from, int to_dir, const char* to);
  int (*unlink)(int dir, const char* name);
  int (*rename)(int from_dir, const char* from, int to_dir, const char* to);
  // 0 and the device of the entry (not following a link), or -1.
  int (*device_of)(int dir, const char* name, dev_t* device);
};
RenameCalls SystemRenameCalls();

// Moves a file without ever replacing anything, on every file system, in
// the best of three ways the file system allows:
//   1. rename with RENAME_NOREPLACE: atomic, the kernel refuses a taken name;
//   2. where that is refused, a hard link to the new name (refused when the
//      name is taken), then removing the old name: never replaces either; if
//      the old name cannot be removed, the link is undone;
//   3. where hard links are impossible too (FAT, many FUSE file systems), a
//      checked rename: the new name is tested and the rename follows at once.
//      Only a file created at the new name in that instant, by someone else,
//      could be replaced.
// Never a copy. Which way works is remembered per device, so later moves on
// it go straight to that way.
class NoReplaceRenamer {
 public:
  // With `folders`, each call names its file in a folder held there; without,
  // by its whole path.
  explicit NoReplaceRenamer(RenameCalls calls = SystemRenameCalls(),
                            FolderDescriptors* folders = nullptr)
      : calls_(calls), folders_(folders) {}
  RenameOutcome Move(const std::string& from, const std::string& to);

 private:
  enum class Way { kNoReplace, kLinkUnlink, kCheckedRename };
  // The way known for the device of `from`, or kNoReplace when none is.
  // One end of a move: where the calls find it, and its whole path.
  struct End {
    FolderAndName at;
    const std::string& path;
  };
  Way KnownWay(const End& from, dev_t& device, bool& known);
  RenameOutcome Try(Way way, const End& from, const End& to, bool& refused);
  std::optional<FolderAndName> Locate(const std::string& path) const;

  RenameCalls calls_;
  FolderDescriptors* folders_;
  std::mutex mutex_;
  std::map<dev_t, Way> ways_;  // only devices where kNoReplace is refused
};

}  // namespace quillfold
