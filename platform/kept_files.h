#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

namespace quillfold {

// One opened file per thread, kept for the follow-up reads of the same file
// (a tag's text frames after its cover art): on a share an open costs
// several requests, and the follow-ups read the very file the first read
// did. `Opened` closes its file when destroyed; every file taken out and not
// wanted is closed outside the lock, as a close on a share is a request.
template <typename Opened>
class KeptFiles {
 public:
  // What this thread kept, when it was kept for `path`; either way this
  // thread keeps nothing afterwards.
  std::optional<Opened> Take(const std::string& path) {
    std::optional<Kept> kept;
    {
      const std::lock_guard lock(mutex_);
      if (const auto found = kept_.find(std::this_thread::get_id()); found != kept_.end()) {
        kept.emplace(std::move(found->second));
        kept_.erase(found);
      }
    }
    if (!kept || kept->path != path) return std::nullopt;
    return std::move(kept->opened);
  }

  void Keep(const std::string& path, Opened opened) {
    Kept kept{path, std::move(opened)};
    const std::lock_guard lock(mutex_);
    kept_.erase(std::this_thread::get_id());
    kept_.emplace(std::this_thread::get_id(), std::move(kept));
  }

  // Closes what every thread kept.
  void Forget() {
    std::unordered_map<std::thread::id, Kept> closing;
    const std::lock_guard lock(mutex_);
    closing.swap(kept_);
  }

 private:
  struct Kept {
    std::string path;
    Opened opened;
  };
  std::mutex mutex_;
  std::unordered_map<std::thread::id, Kept> kept_;
};

}  // namespace quillfold
