#pragma once

#include <fcntl.h>

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/unique_fd.h"

namespace quillfold {

// A path as a folder held open and a name inside it, for the *at() calls.
// Without a held folder, `name` is the whole path and dir() is AT_FDCWD.
struct FolderAndName {
  std::shared_ptr<const UniqueFd> folder;
  std::string name;

  int dir() const { return folder ? folder->get() : AT_FDCWD; }
};

// Folders held open, so that a call on an entry is made relative to its
// folder: the kernel looks up one name instead of every folder of a full
// path (each lookup a request on a network share), and a path longer than
// PATH_MAX works, as no call needs it whole. A folder is opened from the
// nearest one held, one name at a time, following links on the way as a
// full path would. At most `capacity` are held, the least recently used
// going first; a descriptor in use stays open until its user lets go.
// Thread-safe. What is held goes stale when folders change behind it, so
// the owner forgets them all between runs.
class FolderDescriptors {
 public:
  explicit FolderDescriptors(std::size_t capacity = 64) : capacity_(capacity) {}

  // `path` (absolute) as its folder and its last name. A path that is not
  // absolute, ends in "/" or holds "//", "." or ".." is passed whole.
  // Nothing, with errno set, when the folder cannot be opened.
  std::optional<FolderAndName> Locate(const std::string& path);

  // The folder `folder` itself (absolute, no trailing "/" but for the root).
  std::shared_ptr<const UniqueFd> Open(const std::string& folder);

  // Lets go of `folder` and every folder below it (it was removed).
  void Forget(const std::string& folder);
  // Lets go of every folder.
  void ForgetAll();

 private:
  std::shared_ptr<const UniqueFd> Held(const std::string& folder);
  void Keep(const std::string& folder, const std::shared_ptr<const UniqueFd>& fd);

  std::size_t capacity_;
  std::mutex mutex_;
  std::list<std::string> recent_;  // most recently used first
  struct Entry {
    std::shared_ptr<const UniqueFd> fd;
    std::list<std::string>::iterator place;
  };
  std::unordered_map<std::string, Entry> held_;
};

}  // namespace quillfold
