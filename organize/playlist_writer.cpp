#include "organize/playlist_writer.h"

#include <chrono>

namespace quillfold {

PlaylistWriter::PlaylistWriter(FileSystem& file_system, const std::string& base_folder,
                               const PlaylistStore& store)
    : file_system_(file_system), base_folder_(base_folder), store_(store) {}

PlaylistWriter::~PlaylistWriter() {
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  handed_over_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void PlaylistWriter::Write(int slot) {
  {
    const std::lock_guard lock(mutex_);
    waiting_.push_back(slot);
  }
  if (!thread_.joinable()) thread_ = std::thread([this] { WriteLoop(); });
  handed_over_.notify_one();
}

std::vector<PlaylistWriter::Written> PlaylistWriter::Finish(const std::function<void()>& between) {
  constexpr auto kBetweenCalls = std::chrono::milliseconds(20);
  auto next_call = std::chrono::steady_clock::now() + kBetweenCalls;
  std::unique_lock lock(mutex_);
  while (!waiting_.empty() || writing_) {
    if (written_.wait_until(lock, next_call) == std::cv_status::no_timeout) continue;
    lock.unlock();
    between();
    next_call = std::chrono::steady_clock::now() + kBetweenCalls;
    lock.lock();
  }
  return std::move(done_);
}

void PlaylistWriter::WriteLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    handed_over_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    const int slot = waiting_.front();
    waiting_.pop_front();
    writing_ = true;
    lock.unlock();
    std::exception_ptr failure;
    try {
      SavePlaylist(file_system_, base_folder_, store_, slot, PlaylistStore::HostCalls::kNone);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    writing_ = false;
    done_.push_back({slot, failure});
    written_.notify_one();
  }
}

}  // namespace quillfold
