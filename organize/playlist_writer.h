#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "organize/playlist_store.h"
#include "platform/file_system.h"

namespace quillfold {

// Writes playlists back (SavePlaylist) on a thread of its own, one after
// another in the order they are handed over, while the run's thread goes on
// to record the next ones in the journal: the disk's flushes and the
// processor's work overlap. It never calls the front end, which the run's
// thread lets in while it waits (Finish). The store must not change while
// it writes.
class PlaylistWriter {
 public:
  // A playlist handed over, and why it was not written (null: written).
  struct Written {
    int slot = 0;
    std::exception_ptr failure;
  };

  PlaylistWriter(FileSystem& file_system, const std::string& base_folder,
                 const PlaylistStore& store);
  // Writes whatever was handed over and not yet written: each was recorded
  // before it was handed over, and a replace is never left half done.
  ~PlaylistWriter();
  PlaylistWriter(const PlaylistWriter&) = delete;
  PlaylistWriter& operator=(const PlaylistWriter&) = delete;

  // Hands over playlist `slot`, to be written after those handed over
  // before it.
  void Write(int slot);

  // Waits until every playlist handed over is written or failed, calling
  // `between` every few milliseconds meanwhile, and gives each in the order
  // handed over.
  std::vector<Written> Finish(const std::function<void()>& between);

 private:
  void WriteLoop();

  FileSystem& file_system_;
  const std::string& base_folder_;
  const PlaylistStore& store_;
  std::mutex mutex_;
  std::condition_variable handed_over_;
  std::condition_variable written_;
  std::deque<int> waiting_;
  std::vector<Written> done_;
  bool writing_ = false;  // a playlist taken from waiting_ is being written
  bool closing_ = false;
  std::thread thread_;  // started by the first Write
};

}  // namespace quillfold
