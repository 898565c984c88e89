// Mounts a folder somewhere else, unchanged, through FUSE, so that runs can
// be tried on a file system that answers like a network share or a FAT
// volume: slow per request, no no-replace rename, no hard links.
//   quillfold-passthrough-fs [--delay-us N] [--refuse-noreplace] [--refuse-links]
//       SOURCE MOUNTPOINT [FUSE options]
//   --delay-us N        every request waits N microseconds (each on its own,
//                       so requests in flight wait side by side)
//   --refuse-noreplace  rename with RENAME_NOREPLACE fails with EINVAL
//   --refuse-links      link() fails with EPERM
// Unmount with fusermount3 -u MOUNTPOINT.
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace {

struct Settings {
  int source = -1;  // the source folder; every path is resolved below it
  std::chrono::microseconds delay{0};
  bool refuse_noreplace = false;
  bool refuse_links = false;
};

Settings settings;

// Sleeping in the request's own thread is what lets many requests wait at
// once, as they would on a share with a long round trip.
void Wait() {
  if (settings.delay.count() > 0) std::this_thread::sleep_for(settings.delay);
}

// FUSE's paths begin with "/"; below the held source folder they must not.
const char* Below(const char* path) { return path[1] == '\0' ? "." : path + 1; }

int Status(int result) { return result < 0 ? -errno : 0; }

int Fd(const fuse_file_info* fi) { return static_cast<int>(fi->fh); }

void* Init(fuse_conn_info* connection, fuse_config* config) {
  // Every listing answers with each entry's attributes, as a share's does,
  // not only its first part: the kernel then knows each name before it is
  // opened. A name it has never seen is looked up under its folder's lock,
  // one at a time per folder (this FUSE library never tells the kernel that
  // look-ups may run side by side), which no share does, and which would
  // make the first pass over a folder slower than every later one.
  connection->want &= ~FUSE_CAP_READDIRPLUS_AUTO;
  // No kernel caching, so that every look-up and attribute reaches this
  // program (and its delay) the way an uncached share would.
  config->attr_timeout = 0;
  config->entry_timeout = 0;
  config->negative_timeout = 0;
  config->use_ino = 1;
  // Files unlinked while open go at once instead of lingering under
  // hidden names that a run would then find.
  config->hard_remove = 1;
  return nullptr;
}

int GetAttr(const char* path, struct stat* info, fuse_file_info* fi) {
  Wait();
  if (fi) return Status(fstat(Fd(fi), info));
  return Status(fstatat(settings.source, Below(path), info, AT_SYMLINK_NOFOLLOW));
}

int ReadLink(const char* path, char* buffer, size_t size) {
  Wait();
  if (size == 0) return -EINVAL;
  const ssize_t length = readlinkat(settings.source, Below(path), buffer, size - 1);
  if (length < 0) return -errno;
  buffer[length] = '\0';
  return 0;
}

int MakeFolder(const char* path, mode_t mode) {
  Wait();
  return Status(mkdirat(settings.source, Below(path), mode));
}

int Unlink(const char* path) {
  Wait();
  return Status(unlinkat(settings.source, Below(path), 0));
}

int RemoveFolder(const char* path) {
  Wait();
  return Status(unlinkat(settings.source, Below(path), AT_REMOVEDIR));
}

int SymbolicLink(const char* target, const char* path) {
  Wait();
  return Status(symlinkat(target, settings.source, Below(path)));
}

int Rename(const char* from, const char* to, unsigned int flags) {
  Wait();
  if (settings.refuse_noreplace && (flags & RENAME_NOREPLACE) != 0) return -EINVAL;
  return Status(renameat2(settings.source, Below(from), settings.source, Below(to), flags));
}

int Link(const char* from, const char* to) {
  Wait();
  if (settings.refuse_links) return -EPERM;
  return Status(linkat(settings.source, Below(from), settings.source, Below(to), 0));
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info* fi) {
  Wait();
  if (fi) return Status(fchmod(Fd(fi), mode));
  return Status(fchmodat(settings.source, Below(path), mode, 0));
}

int ChangeOwner(const char* path, uid_t user, gid_t group, fuse_file_info* fi) {
  Wait();
  if (fi) return Status(fchown(Fd(fi), user, group));
  return Status(fchownat(settings.source, Below(path), user, group, AT_SYMLINK_NOFOLLOW));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
  Wait();
  if (fi) return Status(ftruncate(Fd(fi), size));
  const int fd = openat(settings.source, Below(path), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  const int result = Status(ftruncate(fd, size));
  close(fd);
  return result;
}

int SetTimes(const char* path, const timespec times[2], fuse_file_info* fi) {
  Wait();
  if (fi) return Status(futimens(Fd(fi), times));
  return Status(utimensat(settings.source, Below(path), times, AT_SYMLINK_NOFOLLOW));
}

int Open(const char* path, fuse_file_info* fi) {
  Wait();
  const int fd = openat(settings.source, Below(path), fi->flags | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
  Wait();
  const int fd = openat(settings.source, Below(path), fi->flags | O_CREAT | O_CLOEXEC, mode);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
  Wait();
  const ssize_t count = pread(Fd(fi), buffer, size, offset);
  return count < 0 ? -errno : static_cast<int>(count);
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
  Wait();
  const ssize_t count = pwrite(Fd(fi), buffer, size, offset);
  return count < 0 ? -errno : static_cast<int>(count);
}

int FileSystemStats(const char*, struct statvfs* stats) {
  Wait();
  return Status(fstatvfs(settings.source, stats));
}

int Release(const char*, fuse_file_info* fi) {
  Wait();
  return Status(close(Fd(fi)));
}

int Sync(const char*, int data_only, fuse_file_info* fi) {
  Wait();
  return Status(data_only ? fdatasync(Fd(fi)) : fsync(Fd(fi)));
}

int OpenFolder(const char* path, fuse_file_info* fi) {
  Wait();
  const int fd = openat(settings.source, Below(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

// Hands over the listing from `offset` on, with each entry's attributes
// when FUSE asks for them, until FUSE's buffer is full; each entry carries
// the position the next call goes on from.
int ReadFolder(const char*, void* buffer, fuse_fill_dir_t fill, off_t offset, fuse_file_info* fi,
               fuse_readdir_flags flags) {
  Wait();
  const int fd = fcntl(Fd(fi), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return -errno;
  DIR* folder = fdopendir(fd);
  if (!folder) {
    const int error = errno;
    close(fd);
    return -error;
  }
  if (offset == 0) {
    rewinddir(folder);
  } else {
    seekdir(folder, offset);
  }
  int result = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (!entry) {
      result = -errno;
      break;
    }
    struct stat info {};
    fuse_fill_dir_flags filled{};
    if ((flags & FUSE_READDIR_PLUS) != 0 &&
        fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
      filled = FUSE_FILL_DIR_PLUS;
    } else {
      info = {};
      info.st_ino = entry->d_ino;
      info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
    }
    if (fill(buffer, entry->d_name, &info, telldir(folder), filled) != 0) break;
  }
  closedir(folder);
  return result;
}

fuse_operations Operations() {
  fuse_operations operations{};
  operations.init = Init;
  operations.getattr = GetAttr;
  operations.readlink = ReadLink;
  operations.mkdir = MakeFolder;
  operations.unlink = Unlink;
  operations.rmdir = RemoveFolder;
  operations.symlink = SymbolicLink;
  operations.rename = Rename;
  operations.link = Link;
  operations.chmod = ChangeMode;
  operations.chown = ChangeOwner;
  operations.truncate = Truncate;
  operations.utimens = SetTimes;
  operations.open = Open;
  operations.create = Create;
  operations.read = Read;
  operations.write = Write;
  operations.statfs = FileSystemStats;
  operations.release = Release;
  operations.fsync = Sync;
  operations.opendir = OpenFolder;
  operations.readdir = ReadFolder;
  // A folder's handle is a descriptor too, closed and flushed the same way.
  operations.releasedir = Release;
  operations.fsyncdir = Sync;
  return operations;
}

// Usage on standard error with status 2, or on standard output with status 0
// when it was asked for.
int Usage(const char* program, bool asked = false) {
  std::fprintf(asked ? stdout : stderr,
               "usage: %s [--delay-us N] [--refuse-noreplace] [--refuse-links] SOURCE "
               "MOUNTPOINT [FUSE options]\n",
               program);
  return asked ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--delay-us" && i + 1 < argc) {
      char* end = nullptr;
      const long delay = std::strtol(argv[++i], &end, 10);
      if (*argv[i] == '\0' || *end != '\0' || delay < 0) return Usage(argv[0]);
      settings.delay = std::chrono::microseconds(delay);
    } else if (option == "--refuse-noreplace") {
      settings.refuse_noreplace = true;
    } else if (option == "--refuse-links") {
      settings.refuse_links = true;
    } else if (option == "--help" || option == "-h") {
      return Usage(argv[0], true);
    } else {
      break;
    }
  }
  if (i >= argc || argv[i][0] == '-') return Usage(argv[0]);
  // Opened before FUSE goes into the background and leaves the current
  // folder, so a relative SOURCE means what the caller meant.
  settings.source = open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (settings.source < 0) {
    std::fprintf(stderr, "%s: cannot open \"%s\": %s\n", argv[0], argv[i], std::strerror(errno));
    return 1;
  }
  std::vector<char*> fuse_argv{argv[0]};
  fuse_argv.insert(fuse_argv.end(), argv + i + 1, argv + argc);
  const fuse_operations operations = Operations();
  return fuse_main(static_cast<int>(fuse_argv.size()), fuse_argv.data(), &operations, nullptr);
}
