#include "organize/batched_records.h"

#include <algorithm>
#include <exception>

#include "organize/wait_letting_host_in.h"

namespace quillfold {
namespace {

// The records are flushed a batch at a time, the first batch small so that
// the writer starts at once, each next one twice as large, up to a bound: a
// flush per playlist would carry the metadata of the moves before it each
// time, and one flush for all would keep the disk idle until every record
// was made.
constexpr std::size_t kFirstBatchBytes = std::size_t{256} << 10;
constexpr std::size_t kLargestBatchBytes = std::size_t{16} << 20;

}  // namespace

BatchedRecords::BatchedRecords(const std::string& base_folder, const PlaylistStore& store,
                               RunJournal& journal, PlaylistWriter& writer)
    : base_folder_(base_folder),
      store_(store),
      journal_(journal),
      writer_(writer),
      batch_limit_(kFirstBatchBytes),
      thread_([this] { RecordLoop(); }) {}

BatchedRecords::~BatchedRecords() { Close(); }

void BatchedRecords::Add(int slot) {
  {
    const std::lock_guard lock(mutex_);
    followed_.push_back(slot);
  }
  changed_.notify_all();
}

std::optional<RunError> BatchedRecords::Finish(const std::function<void()>& between) {
  {
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    WaitLettingHostIn(
        changed_, lock, [this] { return done_; }, between);
  }
  Close();
  return std::move(failure_);
}

void BatchedRecords::Close() {
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BatchedRecords::RecordLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !followed_.empty(); });
    if (followed_.empty()) break;
    const int slot = followed_.front();
    followed_.pop_front();
    lock.unlock();
    Record(slot);
    lock.lock();
  }
  lock.unlock();
  if (!batch_.empty()) Guarded([this] { HandOver(); });
  lock.lock();
  done_ = true;
  changed_.notify_all();
}

void BatchedRecords::Record(int slot) {
  Guarded([this, slot] {
    ContentChange change = store_.PlaylistChange(slot, PlaylistStore::HostCalls::kNone);
    batch_bytes_ += change.new_size;
    journal_.WillReplacePlaylist(base_folder_ + store_.PlaylistName(slot), std::move(change),
                                 RunJournal::Durability::kBatched);
    batch_.push_back(slot);
    if (batch_bytes_ >= batch_limit_) HandOver();
  });
}

void BatchedRecords::Guarded(const std::function<void()>& work) {
  if (failure_) return;
  try {
    work();
  } catch (const std::exception& error) {
    failure_ = RunErrorFromException(error);
  }
}

void BatchedRecords::HandOver() {
  journal_.Write(RunJournal::Durability::kToDisk);
  for (const int slot : batch_) writer_.Write(slot);
  batch_.clear();
  batch_bytes_ = 0;
  batch_limit_ = std::min(batch_limit_ * 2, kLargestBatchBytes);
}

}  // namespace quillfold
