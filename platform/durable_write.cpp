#include "platform/durable_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/folder_entries.h"
#include "platform/unique_fd.h"

namespace quillfold {

bool WriteAll(int fd, std::string_view content) {
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

bool KeepMode(int fd, unsigned mode) {
  return fchmod(fd, mode & 07777) == 0 || errno == ENOSYS || errno == EOPNOTSUPP;
}

bool SyncFolder(const std::string& folder) {
  const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems cannot flush a folder; the rename is then as durable as
  // they make it.
  return fd && (fsync(fd.get()) == 0 || errno == EINVAL);
}

void RemoveLeftoverTemporaries(const std::string& folder, std::string_view prefix) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
  if (!dir) {
    close(fd);
    return;
  }
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name.size() == prefix.size() + kTemporaryRandomChars && name.starts_with(prefix) &&
        EntryType(SystemListingCalls(), fd, *entry) == DT_REG) {
      unlinkat(fd, entry->d_name, 0);
    }
  }
}

}  // namespace quillfold
