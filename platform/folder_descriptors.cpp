#include "platform/folder_descriptors.h"

#include <cerrno>
#include <string_view>

namespace quillfold {
namespace {

// True for a path whose every name can be opened one by one as written.
bool Plain(std::string_view path) {
  if (!path.starts_with('/') || (path.size() > 1 && path.ends_with('/'))) return false;
  return path.find("//") == std::string_view::npos && path.find("/./") == std::string_view::npos &&
         path.find("/../") == std::string_view::npos && !path.ends_with("/.") &&
         !path.ends_with("/..");
}

constexpr int kHeldFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

}  // namespace

std::optional<FolderAndName> FolderDescriptors::Locate(const std::string& path) {
  if (!Plain(path) || path == "/") return FolderAndName{nullptr, path};
  const auto slash = path.rfind('/');
  auto folder = Open(slash == 0 ? "/" : path.substr(0, slash));
  if (!folder) return std::nullopt;
  return FolderAndName{std::move(folder), path.substr(slash + 1)};
}

std::shared_ptr<const UniqueFd> FolderDescriptors::Open(const std::string& folder) {
  if (auto held = Held(folder)) return held;
  std::shared_ptr<const UniqueFd> fd;
  if (folder == "/" || !Plain(folder)) {
    fd = std::make_shared<const UniqueFd>(open(folder.c_str(), kHeldFlags));
  } else {
    const auto slash = folder.rfind('/');
    const auto parent = Open(slash == 0 ? "/" : folder.substr(0, slash));
    if (!parent) return nullptr;
    // Without O_NOFOLLOW: a linked folder on the way is followed, as it is
    // in a full path.
    fd = std::make_shared<const UniqueFd>(
        openat(parent->get(), folder.c_str() + slash + 1, kHeldFlags));
  }
  if (!*fd) return nullptr;
  Keep(folder, fd);
  return fd;
}

std::shared_ptr<const UniqueFd> FolderDescriptors::Held(const std::string& folder) {
  const std::lock_guard lock(mutex_);
  const auto found = held_.find(folder);
  if (found == held_.end()) return nullptr;
  recent_.splice(recent_.begin(), recent_, found->second.place);
  return found->second.fd;
}

void FolderDescriptors::Keep(const std::string& folder, const std::shared_ptr<const UniqueFd>& fd) {
  const std::lock_guard lock(mutex_);
  if (held_.contains(folder)) return;
  recent_.push_front(folder);
  held_[folder] = {fd, recent_.begin()};
  if (held_.size() <= capacity_) return;
  held_.erase(recent_.back());
  recent_.pop_back();
}

void FolderDescriptors::Forget(const std::string& folder) {
  const std::string below = folder == "/" ? folder : folder + "/";
  const std::lock_guard lock(mutex_);
  for (auto it = recent_.begin(); it != recent_.end();) {
    if (*it == folder || it->starts_with(below)) {
      held_.erase(*it);
      it = recent_.erase(it);
    } else {
      ++it;
    }
  }
}

void FolderDescriptors::ForgetAll() {
  const std::lock_guard lock(mutex_);
  held_.clear();
  recent_.clear();
}

}  // namespace quillfold
