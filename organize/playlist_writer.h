#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "organize/playlist_store.h"
#include "platform/file_system.h"

namespace quillfold {

// Writes playlists back (SavePlaylist) on threads of its own, in the order
// they are handed over, kWriterThreads at a time, while the next ones are
// followed and recorded in the journal: the disk's flushes and the
// processor's work overlap, and so do the flushes of two playlists.
// It never calls the front end, which the run's thread lets in while it
// waits (Finish). Only a playlist whose lines are final may be handed
// over; the store may follow moves through the others meanwhile.
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
  // Measured on a virtual disk: a second write in flight cut the time of
  // a thousand replacements by about a fifth; more gained nothing.
  static constexpr std::size_t kWriterThreads = 2;

  void WriteLoop();

  FileSystem& file_system_;
  const std::string& base_folder_;
  const PlaylistStore& store_;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable written_;
  // Each playlist with the number of its handing over, from 0.
  std::deque<std::pair<std::size_t, int>> waiting_;
  std::vector<std::pair<std::size_t, Written>> done_;
  std::size_t handed_over_ = 0;
  int writing_ = 0;  // playlists taken from waiting_ and being written
  bool closing_ = false;
  std::vector<std::thread> threads_;  // started by the first Write
};

}  // namespace quillfold
