#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "errors/run_error.h"
#include "organize/journal.h"
#include "organize/playlist_store.h"
#include "organize/playlist_writer.h"

namespace quillfold {

// Records the changed playlists in the journal, on a thread of its own, as
// the run's thread finishes following the moves through each, and hands
// each batch of them to the writer once its records are on disk. Describing
// a change for the journal (hashing the old and the new content) takes
// about half as long as the following itself, so the run's thread goes on
// to the next playlists meanwhile. Once the journal fails, nothing more is
// recorded or handed over. The journal is used by this thread alone from
// the first Add to Finish, and the front end never.
class BatchedRecords {
 public:
  BatchedRecords(const std::string& base_folder, const PlaylistStore& store, RunJournal& journal,
                 PlaylistWriter& writer);
  // Records and hands over whatever was added and not yet handed over.
  ~BatchedRecords();
  BatchedRecords(const BatchedRecords&) = delete;
  BatchedRecords& operator=(const BatchedRecords&) = delete;

  // Playlist `slot` changed and its lines are final: it is recorded.
  void Add(int slot);
  // Waits until every playlist added is recorded and handed over, calling
  // `between` every few milliseconds meanwhile; the journal's failure.
  std::optional<RunError> Finish(const std::function<void()>& between);

 private:
  void RecordLoop();
  void Record(int slot);
  // Runs `work` unless the journal failed before; records its failure.
  void Guarded(const std::function<void()>& work);
  void HandOver();
  void Close();

  const std::string& base_folder_;
  const PlaylistStore& store_;
  RunJournal& journal_;
  PlaylistWriter& writer_;
  // The recording thread's own, until it is done.
  std::vector<int> batch_;
  std::size_t batch_bytes_ = 0;
  std::size_t batch_limit_;
  std::optional<RunError> failure_;
  // Shared with the run's thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<int> followed_;
  bool closing_ = false;
  bool done_ = false;
  std::thread thread_;  // last, so that it starts once the rest is made
};

}  // namespace quillfold
