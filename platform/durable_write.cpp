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

bool WritePieces(int fd, const ContentPieces& content) {
  std::size_t written = 0;
  bool write_failed = false;
  const bool whole = content.write_to([&](std::string_view piece) {
    // Never past the announced size: an in-place rewrite reserved only that.
    if (piece.size() > content.size - written) return false;
    written += piece.size();
    write_failed = !WriteAll(fd, piece);
    return !write_failed;
  });
  if (whole && written == content.size) return true;
  if (!write_failed) errno = EIO;
  return false;
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

namespace {

// Gives the file at `fd` the owner and group of `old` as far as the OS lets
// this user (root: both; anyone: a group they belong to). True when at least
// the group was kept.
bool KeepOwner(int fd, const struct stat& old) {
  return fchown(fd, old.st_uid, old.st_gid) == 0 ||
         fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

}  // namespace

DurableReplace ReplaceDurably(const std::string& path, std::string temp_prefix,
                              const ContentPieces& content, OwnerKept kept) {
  using Step = DurableReplace::Step;
  struct stat old_info {};
  const bool had_file = stat(path.c_str(), &old_info) == 0;
  std::string& temp_path = temp_prefix.append(kTemporaryRandomChars, 'X');
  UniqueFd fd(mkostemp(temp_path.data(), O_CLOEXEC));
  if (!fd) return {Step::kTemporary, errno};
  const auto fail = [&](Step step) {
    const int error = errno;
    unlink(temp_path.c_str());
    return DurableReplace{step, error};
  };
  // The mode after the owner, as a change of owner clears the set-id bits.
  if (had_file && kept == OwnerKept::kOwnerAndMode) KeepOwner(fd.get(), old_info);
  if (had_file && !KeepMode(fd.get(), old_info.st_mode)) return fail(Step::kWrite);
  if (!WritePieces(fd.get(), content) || fsync(fd.get()) != 0 || !fd.Close()) {
    return fail(Step::kWrite);
  }
  if (rename(temp_path.c_str(), path.c_str()) != 0) return fail(Step::kRename);
  if (!SyncFolder(ParentFolder(path))) return {Step::kFolderFlush, errno};
  return {};
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace quillfold
