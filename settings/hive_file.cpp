#include "settings/hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <utility>

#include "platform/durable_write.h"
#include "platform/posix_file_system.h"
#include "platform/unique_fd.h"
#include "settings/hive_format.h"
#include "settings/registry.h"

namespace quillfold {
namespace {

constexpr int kMaxSetAsideNames = 100;

std::int32_t ResultFromOs(int error, std::int32_t otherwise) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_OUTOFMEMORY;
    default:
      return otherwise;
  }
}

// The whole file at `path`; a missing file (or folder) reads as empty.
// Anything but a regular file there (a folder, a FIFO, a device) cannot be
// read, so it is never replaced either.
std::int32_t ReadWhole(const std::string& path, std::string& content) {
  content.clear();
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd && (errno == ENOENT || errno == ENOTDIR)) return ERROR_SUCCESS;
  if (!fd) return ResultFromOs(errno, ERROR_CANTREAD);
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ERROR_CANTREAD;
  char buffer[1 << 14];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n == 0) return ERROR_SUCCESS;
    if (n > 0) {
      content.append(buffer, static_cast<std::size_t>(n));
    } else if (errno != EINTR) {
      content.clear();
      return ResultFromOs(errno, ERROR_CANTREAD);
    }
  }
}

// Waits for the exclusive lock on `fd`; it goes when `fd` is closed.
bool TakeLock(int fd) {
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::string LocalTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return stamp;
}

}  // namespace

HiveFile::HiveFile(std::string folder, std::string_view root_name)
    : folder_(std::move(folder)), root_name_(root_name) {
  if (!folder_.empty() && !folder_.ends_with('/')) folder_ += '/';
  path_ = folder_ + root_name_ + ".reg";
}

std::string HiveFile::TemporaryPrefix() const { return "." + root_name_ + ".reg.saving-"; }

std::int32_t HiveFile::Load(Hive& hive) const {
  hive = Hive{};
  if (folder_.empty()) return ERROR_SUCCESS;
  std::string content;
  if (const std::int32_t result = ReadWhole(path_, content); result != ERROR_SUCCESS) return result;
  ParsedHive parsed = ParseHive(root_name_, content);
  if (!parsed.ok()) return ERROR_BADDB;
  hive = std::move(parsed.hive);
  return ERROR_SUCCESS;
}

std::int32_t HiveFile::Update(const std::function<std::int32_t(Hive&)>& change) const {
  if (folder_.empty()) return ERROR_ACCESS_DENIED;
  // A failure here shows again, with its reason, when the lock file is made.
  RealFileSystem().CreateFolderChain(path_);
  const UniqueFd lock(open((path_ + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
  if (!lock || !TakeLock(lock.get())) return ResultFromOs(errno, ERROR_CANTWRITE);
  RemoveStaleTemporaries();
  std::string old_content;
  std::int32_t result = ReadWhole(path_, old_content);
  if (result != ERROR_SUCCESS) return result;
  const ParsedHive parsed = ParseHive(root_name_, old_content);
  if (!parsed.ok() && (result = SetAside(old_content)) != ERROR_SUCCESS) return result;
  Hive hive = parsed.hive;
  if ((result = change(hive)) != ERROR_SUCCESS) return result;
  if (parsed.ok() && hive == parsed.hive) return ERROR_SUCCESS;
  return Save(WriteHive(root_name_, hive));
}

std::int32_t HiveFile::Save(const std::string& content) const {
  const DurableReplace saved = ReplaceDurably(path_, folder_ + TemporaryPrefix(),
                                              WholeContent(content), OwnerKept::kModeOnly);
  switch (saved.failed) {
    case DurableReplace::Step::kDone:
      return ERROR_SUCCESS;
    case DurableReplace::Step::kFolderFlush:
      return ERROR_CANTWRITE;
    default:
      return ResultFromOs(saved.error, ERROR_CANTWRITE);
  }
}

std::int32_t HiveFile::SetAside(const std::string& content) const {
  const std::string base = path_ + ".corrupt-" + LocalTimeStamp();
  for (int attempt = 1; attempt <= kMaxSetAsideNames; ++attempt) {
    const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    UniqueFd fd(open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd && errno == EEXIST) continue;
    if (!fd) return ResultFromOs(errno, ERROR_CANTWRITE);
    if (WriteAll(fd.get(), content) && fsync(fd.get()) == 0 && fd.Close()) return ERROR_SUCCESS;
    const int error = errno;
    unlink(name.c_str());
    return ResultFromOs(error, ERROR_CANTWRITE);
  }
  return ERROR_CANTWRITE;
}

// Temporary files are only made under the lock, so any found while holding
// it were left by a save that never finished.
void HiveFile::RemoveStaleTemporaries() const {
  RemoveLeftoverTemporaries(folder_, TemporaryPrefix());
}

}  // namespace quillfold
