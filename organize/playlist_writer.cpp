#include "organize/playlist_writer.h"

#include <algorithm>

#include "organize/wait_letting_host_in.h"

namespace quillfold {

PlaylistWriter::PlaylistWriter(FileSystem& file_system, const std::string& base_folder,
                               const PlaylistStore& store)
    : file_system_(file_system), base_folder_(base_folder), store_(store) {}

PlaylistWriter::~PlaylistWriter() {
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void PlaylistWriter::Write(int slot) {
  {
    const std::lock_guard lock(mutex_);
    waiting_.emplace_back(handed_over_++, slot);
  }
  while (threads_.size() < kWriterThreads) threads_.emplace_back([this] { WriteLoop(); });
  work_ready_.notify_one();
}

std::vector<PlaylistWriter::Written> PlaylistWriter::Finish(const std::function<void()>& between) {
  std::unique_lock lock(mutex_);
  WaitLettingHostIn(
      written_, lock, [this] { return waiting_.empty() && writing_ == 0; }, between);
  std::sort(done_.begin(), done_.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Written> written;
  for (auto& [order, done] : done_) written.push_back(std::move(done));
  done_.clear();
  return written;
}

void PlaylistWriter::WriteLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    const auto [order, slot] = waiting_.front();
    waiting_.pop_front();
    ++writing_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      SavePlaylist(file_system_, base_folder_, store_, slot, PlaylistStore::HostCalls::kNone);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    --writing_;
    done_.push_back({order, {slot, failure}});
    written_.notify_one();
  }
}

}  // namespace quillfold
