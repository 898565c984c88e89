#include "platform/journal_storage.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "errors/run_error.h"
#include "platform/posix_journal_file.h"
#include "platform/unique_fd.h"

namespace quillfold {
namespace {

// How much of a journal is read at a time when it is read in pieces.
constexpr std::size_t kJournalPieceBytes = std::size_t{1} << 20;

bool MakeFolders(const std::string& folder) {
  for (auto slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

}  // namespace

PosixJournalStorage::PosixJournalStorage(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty() || folder_.back() != '/') folder_ += '/';
}

std::vector<std::string> PosixJournalStorage::ListJournals() {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder_.c_str()), closedir);
  if (!dir) {
    if (errno == ENOENT) return names;
    throw RunErrorFromOs(errno, "listing the journals in", folder_);
  }
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (errno != 0) throw RunErrorFromOs(errno, "listing the journals in", folder_);
  std::sort(names.begin(), names.end());
  return names;
}

void PosixJournalStorage::ReadJournalInPieces(const std::string& name,
                                              const std::function<bool(std::string_view)>& take) {
  const std::string path = folder_ + name;
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) throw RunErrorFromOs(errno, "reading", path);
  std::string piece(kJournalPieceBytes, '\0');
  for (;;) {
    const ssize_t n = read(fd.get(), piece.data(), piece.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RunErrorFromOs(errno, "reading", path);
    if (n == 0 || !take(std::string_view(piece.data(), static_cast<std::size_t>(n)))) return;
  }
}

std::unique_ptr<JournalFile> PosixJournalStorage::OpenJournal(const std::string& name) {
  if (!MakeFolders(folder_)) throw RunErrorFromOs(errno, "creating the journal folder", folder_);
  const std::string path = folder_ + name;
  const bool existed = access(path.c_str(), F_OK) == 0;
  UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  struct stat info {};
  if (!fd || fstat(fd.get(), &info) != 0) throw RunErrorFromOs(errno, "opening the journal", path);
  return std::make_unique<PosixJournalFile>(std::move(fd), static_cast<std::size_t>(info.st_size),
                                            path, folder_, !existed);
}

void PosixJournalStorage::RemoveJournal(const std::string& name) {
  const std::string path = folder_ + name;
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    throw RunErrorFromOs(errno, "removing the journal", path);
  }
}

void PosixJournalStorage::CutJournal(const std::string& name, std::size_t size) {
  const std::string path = folder_ + name;
  const UniqueFd fd(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd || ftruncate(fd.get(), static_cast<off_t>(size)) != 0 || fdatasync(fd.get()) != 0) {
    throw RunErrorFromOs(errno, "cutting the torn end off the journal", path);
  }
}

std::size_t PosixJournalStorage::JournalSize(const std::string& name) {
  struct stat info {};
  const std::string path = folder_ + name;
  return lstat(path.c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

std::string DefaultJournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const std::string state_home =
      state != nullptr && state[0] == '/' ? std::string(state) : HomeFolder() + "/.local/state";
  return state_home + "/quillfold/";
}

}  // namespace quillfold
