#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <tuple>

#include "errors/run_error.h"
#include "platform/durable_write.h"
#include "platform/folder_entries.h"
#include "platform/run_hold.h"
#include "platform/unique_fd.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

std::string_view BaseName(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// What a file opened for its tag is asked: its type and size, and the
// identity a journaled move records.
constexpr unsigned kOpenedFileFields =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_INO | STATX_UID | STATX_GID;

// ReplaceTextFile writes beside the file, under ".NAME" + this + six
// random characters.
constexpr std::string_view kReplacementTag = ".quillfold-";

// A folder path with its trailing "/" taken off (but for the root), and
// whether there was one: a trailing "/" makes the last name followed when it
// is a link, as the kernel does.
std::string WithoutTrailingSlash(const std::string& folder, bool& had_slash) {
  std::string plain = folder;
  while (plain.size() > 1 && plain.back() == '/') plain.pop_back();
  had_slash = plain.size() < folder.size();
  return plain;
}

FileIdentity IdentityIn(const struct stat& info) {
  return FileIdentity{info.st_dev, info.st_ino, info.st_mode & 07777u, info.st_uid, info.st_gid};
}

FileIdentity IdentityIn(const struct statx& info) {
  return FileIdentity{makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino,
                      info.stx_mode & 07777u, info.stx_uid, info.stx_gid};
}

// The errors of a folder that refuses a new entry while a file in it may
// still be written: no write permission, an immutable folder.
bool FolderTakesNoNewFile(int error) { return error == EACCES || error == EPERM; }

// Makes sure `size` bytes of the file at `fd` (now `old_size` long) are
// allocated, without changing a byte of it. A file system that cannot
// reserve (EOPNOTSUPP) takes no overwrite that would grow the file: a full
// volume could cut it short part-way. On failure the file keeps its length.
bool ReserveRoom(int fd, off_t old_size, std::size_t size) {
  if (static_cast<off_t>(size) <= old_size) return true;
  if (fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0) return true;
  const int error = errno;
  if (ftruncate(fd, old_size) != 0) return false;
  errno = error;
  return false;
}

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
  // The open has just looked the file up, so what the kernel holds of it is
  // current: asking the medium again would cost a share one more round trip
  // per file.
  struct statx info {};
  if (statx(fd.get(), "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, kOpenedFileFields, &info) != 0) {
    return {false, errno};
  }
  if (!S_ISREG(info.stx_mode)) return {};
  return {true, 0, info.stx_size, std::move(fd), IdentityIn(info)};
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
  if (!opened.read || opened.size < tail.size()) return {false, opened.error, opened.identity};
  const int error = ReadExactly(opened.fd.get(), tail, opened.size - tail.size());
  return {error == 0, error, opened.identity};
}

PartsRead PosixFileSystem::ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                                 std::span<std::uint8_t> head,
                                                 std::span<std::uint8_t> tail) {
  // Only a follow-up read (past the start) takes the file its thread kept.
  std::optional<OpenedFile> kept = kept_files_.Take(path);
  OpenedFile opened = kept && offset > 0 ? std::move(*kept) : OpenOrdinaryFile(path);
  PartsRead parts{opened.read, opened.error, opened.size, 0, false, opened.identity};
  if (!opened.read) return parts;
  const std::uint64_t left = offset < opened.size ? opened.size - offset : 0;
  parts.head_bytes = static_cast<std::size_t>(std::min<std::uint64_t>(left, head.size()));
  int error = ReadExactly(opened.fd.get(), head.first(parts.head_bytes), offset);
  parts.tail_read = error == 0 && !tail.empty() && opened.size >= tail.size();
  if (parts.tail_read) error = ReadExactly(opened.fd.get(), tail, opened.size - tail.size());
  if (error != 0) return {false, error, 0, 0, false, opened.identity};
  kept_files_.Keep(path, std::move(opened));
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
  // Being a mount's root is the kernel's own knowledge, not the medium's.
  if (!at || statx(at->dir(), at->name.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_INO,
                   &info) != 0) {
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

void PosixFileSystem::ForgetHeldFolders() {
  folders_.ForgetAll();
  kept_files_.Forget();
}

std::string PosixFileSystem::ReadTextFileInPieces(const std::string& path,
                                                  const std::function<void()>& between_pieces) {
  const auto at = folders_.Locate(path);
  const UniqueFd fd(at ? openat(at->dir(), at->name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                       : -1);
  if (!fd) throw RunErrorFromOs(errno, "reading", path);
  std::string content;
  // Room for the whole file at once: growing by doubling would hold two
  // copies of a large playlist for a moment, and leave slack in the one kept.
  struct stat info {};
  if (fstat(fd.get(), &info) == 0 && info.st_size > 0) {
    content.reserve(static_cast<std::size_t>(info.st_size));
  }
  char buffer[1 << 16];
  constexpr std::size_t kBuffersPerPiece = 16;
  for (std::size_t buffers = 1;; ++buffers) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RunErrorFromOs(errno, "reading", path);
    }
    if (n == 0) return content;
    content.append(buffer, static_cast<std::size_t>(n));
    if (between_pieces && buffers % kBuffersPerPiece == 0) between_pieces();
  }
}

void PosixFileSystem::ReplaceTextFileInPieces(const std::string& path,
                                              const ContentPieces& content) {
  struct stat old_info {};
  const bool had_file = stat(path.c_str(), &old_info) == 0;
  // Replacing a file the user may not write would hand it to them, owner
  // and all; what they may not change stays as it is.
  if (had_file && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES) {
    throw RunErrorFromOs(EACCES, "writing", path);
  }
  const DurableReplace replaced = ReplaceDurably(
      path, ParentFolder(path) + "/." + std::string(BaseName(path)) + std::string(kReplacementTag),
      content, OwnerKept::kOwnerAndMode);
  using Step = DurableReplace::Step;
  const int error = replaced.error;
  switch (replaced.failed) {
    case Step::kDone:
    // The new playlist is in place and complete; a folder that cannot be
    // flushed only weakens its durability over a power cut, which is no
    // reason to end the run and report the playlist as not written.
    case Step::kFolderFlush:
      return;
    case Step::kTemporary:
      if (had_file && FolderTakesNoNewFile(error)) return RewriteInPlace(path, content, error);
      break;
    case Step::kRename:
      // Some FUSE file systems cannot rename over an existing file at all.
      if (had_file && (error == ENOSYS || error == EOPNOTSUPP || error == EPERM)) {
        return RewriteInPlace(path, content, error);
      }
      break;
    case Step::kWrite:
      break;
  }
  throw RunErrorFromOs(error, "writing", path);
}

// The fallback where the folder refuses the temporary (or the rename) but
// the playlist itself may be written: the room for the new content is
// reserved first, so a full volume refuses it before a byte is overwritten;
// then it is overwritten from the start, shortened to its new length and
// flushed. Not atomic, which is why it is only the fallback; the journal
// keeps what the old bytes were for an undo.
void PosixFileSystem::RewriteInPlace(const std::string& path, const ContentPieces& content,
                                     int folder_error) {
  const UniqueFd fd(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  const bool reserved =
      fd && fstat(fd.get(), &info) == 0 && ReserveRoom(fd.get(), info.st_size, content.size);
  if (reserved && WritePieces(fd.get(), content) &&
      ftruncate(fd.get(), static_cast<off_t>(content.size)) == 0 && fsync(fd.get()) == 0) {
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
  RemoveLeftoverTemporaries(ParentFolder(path), prefix);
}

namespace {

std::optional<FileIdentity> IdentityAt(int dir, const char* name) {
  struct stat info {};
  if (fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return IdentityIn(info);
}

}  // namespace

std::optional<FileIdentity> PosixFileSystem::IdentityOf(const std::string& path) {
  const auto at = path.empty() ? std::nullopt : folders_.Locate(path);
  return at ? IdentityAt(at->dir(), at->name.c_str()) : std::nullopt;
}

std::optional<FileIdentity> PosixFileSystem::IdentityByWholePath(const std::string& path) {
  return IdentityAt(AT_FDCWD, path.c_str());
}

// The kernel names a descriptor's folder by where it is now, from what it
// already knows: no request to the medium, however deep the folder.
std::optional<std::string> PosixFileSystem::HeldFolderPath(const std::string& folder) {
  const std::shared_ptr<const UniqueFd> fd = folders_.Open(folder);
  return fd ? descriptor_paths_.PathOf(fd->get()) : std::nullopt;
}

bool PosixFileSystem::RemoveSecondName(const std::string& extra, const std::string& kept) {
  const std::optional<FileIdentity> extra_identity = IdentityOf(extra);
  const std::optional<FileIdentity> kept_identity = IdentityOf(kept);
  if (!extra_identity || !kept_identity || !extra_identity->SameFile(*kept_identity)) return false;
  const auto at = folders_.Locate(extra);
  return at && unlinkat(at->dir(), at->name.c_str(), 0) == 0;
}

// The mode after the owner, as a change of owner clears the set-id bits.
// Best effort, as the contract says: what the user may not give back (an
// owner, a group they are not in) stays as the folder was made.
void PosixFileSystem::SetOwnerAndMode(const std::string& folder, const FileIdentity& identity) {
  const auto at = folders_.Locate(folder);
  if (!at) return;
  if (fchownat(at->dir(), at->name.c_str(), identity.owner, identity.group, AT_SYMLINK_NOFOLLOW) !=
      0) {
    std::ignore = fchownat(at->dir(), at->name.c_str(), static_cast<uid_t>(-1), identity.group,
                           AT_SYMLINK_NOFOLLOW);
  }
  std::ignore = fchmodat(at->dir(), at->name.c_str(), identity.mode, 0);
}

// Held by its real path, so a base named through a linked folder and the
// same base named directly are one base.
std::unique_ptr<FolderHold> PosixFileSystem::HoldForRun(const std::string& folder) {
  const std::unique_ptr<char, void (*)(void*)> real(realpath(folder.c_str(), nullptr), std::free);
  return HoldFolderForRun(real ? std::string(real.get()) : folder);
}

FileSystem& RealFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace quillfold
