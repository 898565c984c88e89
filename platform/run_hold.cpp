#include "platform/run_hold.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <vector>

#include "platform/unique_fd.h"

namespace quillfold {
namespace {

class FlockHold final : public FolderHold {
 public:
  // Closing the descriptors releases their locks.
  std::vector<UniqueFd> descriptors;
};

// `folder` and each folder above it up to "/", innermost first.
std::vector<std::string> FolderAndAncestors(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::vector<std::string> chain{folder};
  while (folder.size() > 1) {
    const auto slash = folder.rfind('/');
    folder = slash == 0 ? "/" : folder.substr(0, slash);
    chain.push_back(folder);
  }
  return chain;
}

enum class LockResult { kHeld, kTaken, kUnlockable };

LockResult Lock(const std::string& folder, int operation, std::vector<UniqueFd>& held) {
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return LockResult::kUnlockable;
  while (flock(fd.get(), operation | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? LockResult::kTaken : LockResult::kUnlockable;
  }
  held.push_back(std::move(fd));
  return LockResult::kHeld;
}

}  // namespace

std::unique_ptr<FolderHold> HoldFolderForRun(const std::string& folder) {
  auto hold = std::make_unique<FlockHold>();
  const std::vector<std::string> chain = FolderAndAncestors(folder);
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const int operation = i == 0 ? LOCK_EX : LOCK_SH;
    if (Lock(chain[i], operation, hold->descriptors) == LockResult::kTaken) return nullptr;
  }
  return hold;
}

}  // namespace quillfold
