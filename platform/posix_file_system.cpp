#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "errors/run_error.h"
#include "platform/durable_write.h"
#include "platform/folder_entries.h"
#include "platform/run_hold.h"
#include "platform/unique_fd.h"
#include "tags/ascii.h"

namespace quillfold {
namespace {

std::string_view BaseName(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ParentFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ReplaceTextFile writes beside the file, under ".NAME" + this + six
// random characters.
constexpr std::string_view kReplacementTag = ".quillfold-";
constexpr std::size_t kReplacementRandomChars = 6;

// A folder path with its trailing "/" taken off (but for the root), and
// whether there was one: a trailing "/" makes the last name followed when it
// is a link, as the kernel does.
std::string WithoutTrailingSlash(const std::string& folder, bool& had_slash) {
  std::string plain = folder;
  while (plain.size() > 1 && plain.back() == '/') plain.pop_back();
  had_slash = plain.size() < folder.size();
  return plain;
}

// Gives the file at `fd` the owner and group of `old` as far as the OS lets
// this user (root: both; anyone: a group they belong to). True when at least
// the group was kept.
bool KeepOwner(int fd, const struct stat& old) {
  return fchown(fd, old.st_uid, old.st_gid) == 0 ||
         fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

// The errors of a folder that refuses a new entry while a file in it may
// still be written: no write permission, an immutable folder.
bool FolderTakesNoNewFile(int error) { return error == EACCES || error == EPERM; }

}  // namespace

FolderListing PosixFileSystem::ListFolder(const std::string& folder) {
  bool follow_last = false;
  const auto at = folders_.Locate(WithoutTrailingSlash(folder, follow_last));
  const int fd = at ? openat(at->dir(), at->name.c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_last ? 0 : O_NOFOLLOW))
                    : -1;
  if (fd < 0) throw RunErrorFromOs(errno, "listing folder", folder);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
  if (!dir) {
    const int error = errno;
    close(fd);
    throw RunErrorFromOs(error, "listing folder", folder);
  }
  FolderListing listing;
  const int error = ReadFolderEntries(SystemListingCalls(), dir.get(), fd, listing);
  if (error != 0) throw RunErrorFromOs(error, "listing folder", folder);
  return listing;
}

bool PosixFileSystem::PathExists(const std::string& path) {
  struct stat info {};
  const auto at = path.empty() ? std::nullopt : folders_.Locate(path);
  return at && fstatat(at->dir(), at->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool PosixFileSystem::IsSymbolicLink(const std::string& path) {
  struct stat info {};
  const auto at = path.empty() ? std::nullopt : folders_.Locate(path);
  return at && fstatat(at->dir(), at->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(info.st_mode);
}

// Opens `path` for reading when it is an ordinary file: a regular file whose
// name does not begin with ".". `opened.read` is false otherwise, with the
// errno of a file that could not be opened, or 0 when there is nothing to read.
PosixFileSystem::OpenedFile PosixFileSystem::OpenOrdinaryFile(const std::string& path) {
  if (BaseName(path).starts_with('.')) return {};
  const auto at = folders_.Locate(path);
  if (!at) return {false, errno};
  // O_NONBLOCK keeps a FIFO from holding the open; O_NOFOLLOW refuses links.
  UniqueFd fd(openat(at->dir(), at->name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  // A link (ELOOP) or a socket (ENXIO) is no ordinary file to begin with.
  if (!fd) return {false, errno == ELOOP || errno == ENXIO ? 0 : errno};
  struct stat info {};
  if (fstat(fd.get(), &info) != 0) return {false, errno};
  if (!S_ISREG(info.st_mode)) return {};
  return {true, 0, static_cast<std::uint64_t>(info.st_size), std::move(fd)};
}

namespace {

// Reads exactly bytes.size() bytes at `offset`: 0, or the errno (EIO when the
// file was cut while being read).
int ReadExactly(int fd, std::span<std::uint8_t> bytes, std::uint64_t offset) {
  const ssize_t n = pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
  if (n < 0) return errno;
  return n == static_cast<ssize_t>(bytes.size()) ? 0 : EIO;
}

}  // namespace

TailRead PosixFileSystem::ReadOrdinaryFileTail(const std::string& path,
                                               std::span<std::uint8_t> tail) {
  const OpenedFile opened = OpenOrdinaryFile(path);
  if (!opened.read || opened.size < tail.size()) return {false, opened.error};
  const int error = ReadExactly(opened.fd.get(), tail, opened.size - tail.size());
  return {error == 0, error};
}

PartsRead PosixFileSystem::ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                                 std::span<std::uint8_t> head,
                                                 std::span<std::uint8_t> tail) {
  const OpenedFile opened = OpenOrdinaryFile(path);
  PartsRead parts{opened.read, opened.error, opened.size, 0, false};
  if (!opened.read) return parts;
  const std::uint64_t left = offset < opened.size ? opened.size - offset : 0;
  parts.head_bytes = static_cast<std::size_t>(std::min<std::uint64_t>(left, head.size()));
  int error = ReadExactly(opened.fd.get(), head.first(parts.head_bytes), offset);
  parts.tail_read = error == 0 && !tail.empty() && opened.size >= tail.size();
  if (parts.tail_read) error = ReadExactly(opened.fd.get(), tail, opened.size - tail.size());
  if (error != 0) return {false, error};
  return parts;
}

std::optional<ResolvedPath> PosixFileSystem::FollowLinks(const std::string& path) {
  const std::unique_ptr<char, void (*)(void*)> resolved(realpath(path.c_str(), nullptr), std::free);
  struct stat info {};
  if (!resolved || stat(resolved.get(), &info) != 0) return std::nullopt;
  return ResolvedPath{resolved.get(), S_ISDIR(info.st_mode)};
}

bool PosixFileSystem::IsMountPoint(const std::string& folder) {
  const auto at = folders_.Locate(folder);
  struct statx info {};
  if (!at || statx(at->dir(), at->name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO, &info) != 0) {
    return false;
  }
  if ((info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  // Kernels before 5.8 do not say; a change of device between the folder and
  // its parent gives away all but bind mounts of the same file system.
  struct stat own {};
  struct stat parent {};
  return lstat(folder.c_str(), &own) == 0 && stat((folder + "/..").c_str(), &parent) == 0 &&
         own.st_dev != parent.st_dev;
}

int PosixFileSystem::CreateFolderChain(const std::string& folder_path) {
  const auto last = folder_path.rfind('/');
  if (last == std::string::npos) return ENOENT;
  const std::string chain = folder_path.substr(0, std::max<std::size_t>(last, 1));
  if (chain != "/" && !MakeFolderAndParents(chain)) return errno;
  const auto at = folders_.Locate(chain);
  struct stat info {};
  if (!at || fstatat(at->dir(), at->name.c_str(), &info, 0) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// Creates `folder`, and its missing parents first when it cannot be made
// for want of them. A chain usually lacks only its last folder or two, so
// this costs a call or two where going down from the root costs one per
// level. A name that exists counts as made; the caller checks it is a folder.
bool PosixFileSystem::MakeFolderAndParents(const std::string& folder) {
  if (MakeFolder(folder)) return true;
  const auto slash = folder.rfind('/');
  if (errno != ENOENT || slash == std::string::npos || slash == 0) return false;
  return MakeFolderAndParents(folder.substr(0, slash)) && MakeFolder(folder);
}

bool PosixFileSystem::MakeFolder(const std::string& folder) {
  const auto at = folders_.Locate(folder);
  return at && (mkdirat(at->dir(), at->name.c_str(), 0777) == 0 || errno == EEXIST);
}

RenameOutcome PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return renamer_.Move(from, to);
}

void PosixFileSystem::RemoveEmptyFolder(const std::string& folder) {
  bool had_slash = false;
  const std::string plain = WithoutTrailingSlash(folder, had_slash);
  const auto at = had_slash ? std::nullopt : folders_.Locate(plain);
  const int removed =
      at ? unlinkat(at->dir(), at->name.c_str(), AT_REMOVEDIR) : rmdir(folder.c_str());
  if (removed != 0) throw RunErrorFromOs(errno, "removing folder", folder);
  folders_.Forget(plain);
}

void PosixFileSystem::ForgetHeldFolders() { folders_.ForgetAll(); }

std::string PosixFileSystem::ReadTextFile(const std::string& path) {
  const auto at = folders_.Locate(path);
  const UniqueFd fd(at ? openat(at->dir(), at->name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                       : -1);
  if (!fd) throw RunErrorFromOs(errno, "reading", path);
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RunErrorFromOs(errno, "reading", path);
    }
    if (n == 0) return content;
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

void PosixFileSystem::ReplaceTextFile(const std::string& path, const std::string& content) {
  struct stat old_info {};
  const bool had_file = stat(path.c_str(), &old_info) == 0;
  std::string temp_path = ParentFolder(path) + "/." + std::string(BaseName(path)) +
                          std::string(kReplacementTag) + std::string(kReplacementRandomChars, 'X');
  UniqueFd fd(mkostemp(temp_path.data(), O_CLOEXEC));
  if (!fd) {
    const int error = errno;
    if (had_file && FolderTakesNoNewFile(error)) return RewriteInPlace(path, content, error);
    throw RunErrorFromOs(error, "writing", path);
  }
  const auto fail = [&](int error) {
    unlink(temp_path.c_str());
    return RunErrorFromOs(error, "writing", path);
  };
  if (had_file) {
    // The mode after the owner, as a change of owner clears the set-id bits.
    KeepOwner(fd.get(), old_info);
    if (!KeepMode(fd.get(), old_info.st_mode)) throw fail(errno);
  }
  if (!WriteAll(fd.get(), content) || fsync(fd.get()) != 0 || !fd.Close()) throw fail(errno);
  if (rename(temp_path.c_str(), path.c_str()) != 0) {
    const int error = errno;
    // Some FUSE file systems cannot rename over an existing file at all.
    if (had_file && (error == ENOSYS || error == EOPNOTSUPP || error == EPERM)) {
      unlink(temp_path.c_str());
      return RewriteInPlace(path, content, error);
    }
    throw fail(error);
  }
  // The new playlist is in place and complete from here on; a folder that
  // cannot be flushed only weakens its durability over a power cut, which is
  // no reason to end the run and report the playlist as not written.
  SyncFolder(ParentFolder(path));
}

// The fallback where the folder refuses the temporary (or the rename) but
// the playlist itself may be written: it is overwritten from the start,
// shortened to its new length and flushed. Not atomic, which is why it is
// only the fallback; the journal keeps the old bytes for an undo.
void PosixFileSystem::RewriteInPlace(const std::string& path, const std::string& content,
                                     int folder_error) {
  const UniqueFd fd(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (fd && WriteAll(fd.get(), content) &&
      ftruncate(fd.get(), static_cast<off_t>(content.size())) == 0 && fsync(fd.get()) == 0) {
    return;
  }
  const int error = errno;
  const ErrorNumber number = RunErrorFromOs(error, "", path).error_number();
  std::string description(ErrorNumberText(number));
  description += " (its folder \"";
  description += ControlBytesEscaped(ParentFolder(path));
  description += "\" takes no new file: ";
  description += std::strerror(folder_error);
  description += "; writing \"";
  description += ControlBytesEscaped(path);
  description += "\" in place: ";
  description += std::strerror(error);
  description += ")";
  throw RunError(number, std::move(description));
}

void PosixFileSystem::RemoveLeftoverReplacements(const std::string& path) {
  // Built by appending: g++ 12 at -O3 takes "." + a temporary for an
  // overlapping copy.
  std::string prefix = ".";
  prefix += BaseName(path);
  prefix += kReplacementTag;
  const int fd = open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
  if (!dir) {
    close(fd);
    return;
  }
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name.size() == prefix.size() + kReplacementRandomChars && name.starts_with(prefix) &&
        EntryType(SystemListingCalls(), fd, *entry) == DT_REG) {
      unlinkat(fd, entry->d_name, 0);
    }
  }
}

std::unique_ptr<FolderHold> PosixFileSystem::HoldForRun(const std::string& folder) {
  return HoldFolderForRun(folder);
}

FileSystem& RealFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace quillfold
