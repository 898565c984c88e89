#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/forwarding_file_system.h"
#include "platform/read_ahead_window.h"
#include "platform/recorded_reads.h"
#include "platform/upcoming_reads.h"

namespace quillfold {

// Forwards every call to another file system, and reads the announced file
// tails on a pool of worker threads while the caller works on earlier files,
// so that a slow medium serves several reads at once; likewise, once a
// folder is listed, the listings of its subfolders, which a search enters
// next. Only tails (of kReadAheadTailSize bytes), the reads of a tag reader
// (ExpectReadsOf) and listings are read ahead; nothing is ever changed
// by a worker. The caller still gets every result in its own order and on its own thread, and gets
// exactly what asking the other file system at that moment would give: a read made before a change
// through this file system that may have touched its file is made again, and no listing made
// before a change is used after it.
//
// The reads may run far ahead of the caller, so that on a cold disk they
// are mostly done before the caller's moves need the disk, but memory stays
// bounded: a file is taken only while the files taken hold less than
// `budget` bytes (their paths, tails and what their readers read, counted
// as what a reader may read at most until it has read), so they never hold
// more than `budget` and one file's worth.
// The other file system must allow concurrent calls (the real one does).
//
// Reads that come from the page cache take microseconds, less than handing
// them to a worker and back; so tails are read ahead only while recent reads
// (timed on every thread) take `worth_reading_ahead` or longer on average,
// and read on the caller's thread otherwise. Either way the results are the
// same.

class ReadAheadFileSystem final : public ForwardingFileSystem, public UpcomingReads {
 public:
  static constexpr std::size_t kReadAheadTailSize = ReadAheadWindow::kTailSize;

  static constexpr std::chrono::nanoseconds kWorthReadingAhead = std::chrono::microseconds(50);

  static constexpr std::size_t kReadAheadBudget = std::size_t{64} << 20;

  // `workers` threads (at least 1) read ahead for `inner`.
  ReadAheadFileSystem(FileSystem& inner, int workers,
                      std::chrono::nanoseconds worth_reading_ahead = kWorthReadingAhead,
                      std::size_t budget = kReadAheadBudget);
  ~ReadAheadFileSystem() override;
  ReadAheadFileSystem(const ReadAheadFileSystem&) = delete;
  ReadAheadFileSystem& operator=(const ReadAheadFileSystem&) = delete;

  bool ExpectTail(const std::string& full_path) override;
  bool ExpectReadsOf(const std::string& full_path, AheadReader reader,
                     std::size_t reads_at_most) override;
  void ForgetExpected() override;

  FolderListing ListFolder(const std::string& folder) override;
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override;
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override;
  int CreateFolderChain(const std::string& folder_path) override;
  RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) override;
  void RemoveEmptyFolder(const std::string& folder) override;
  void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) override;
  void RemoveLeftoverReplacements(const std::string& path) override;
  void ForgetHeldFolders() override;
  UpcomingReads* upcoming_reads() override { return this; }

 private:
  using Announced = ReadAheadWindow::Entry;

  struct ListingAhead {
    std::string folder;
    Announced::State state = Announced::State::kWaiting;
    bool stale = false;                    // a change came after its listing began
    std::optional<FolderListing> listing;  // none when listing failed
  };

  // The file the caller read last, by every read since the last change
  // that may have moved it: a rename of that path moves that file.
  struct LastRead {
    std::string path;
    std::optional<FileIdentity> identity;  // none when its reads opened none or several
  };

  void WorkerLoop();
  bool Announce(const std::string& full_path, AheadReader reader, std::size_t reads_at_most);
  void ReadTailAhead(Announced& entry, std::unique_lock<std::mutex>& lock);
  // The announced read of `path` (by a reader or of the tail alone), once
  // done and not stale; null when it must be made here. Reads announced
  // before it were not asked for after all and go.
  std::shared_ptr<Announced> TakeAnnounced(const std::string& path, bool by_reader);
  void ListAhead(ListingAhead& entry, std::unique_lock<std::mutex>& lock);
  // Reads and lists on this thread, timing the call.
  TailRead ReadHere(const std::string& path, std::span<std::uint8_t> tail);
  PartsRead ReadPartsHere(const std::string& path, std::uint64_t offset,
                          std::span<std::uint8_t> head, std::span<std::uint8_t> tail);
  // Runs `read` on this thread, timing it.
  template <typename Read>
  auto TimedRead(Read read);
  // Notes that the caller got a read of `path` that opened `identity`.
  void NoteRead(const std::string& path, const std::optional<FileIdentity>& identity);
  void ForgetLastRead();
  FolderListing ListHere(const std::string& folder);
  // Announces the subfolders of `folder` for listing ahead, and says how
  // many; under mutex_.
  std::size_t AnnounceSubfolders(const std::string& folder, const FolderListing& listing);
  // Takes one more call's duration into a running average; under mutex_.
  static void Timed(double& average_ns, std::chrono::nanoseconds duration);
  bool WorthDoingAhead(double average_ns) const {
    return average_ns >= static_cast<double>(worth_reading_ahead_.count());
  }
  // Runs `change` on the other file system, then marks what it may have made stale.
  template <typename Change>
  auto Changing(const ReadAheadWindow::Change& what, Change change);
  void MarkStale(const ReadAheadWindow::Change& what);
  // Drops the listings read ahead so far; under mutex_.
  void DropListingsAhead();

  const std::size_t listings_at_most_;
  const std::chrono::nanoseconds worth_reading_ahead_;
  double average_read_ns_ = 0;     // of recent tail reads
  double average_listing_ns_ = 0;  // of recent listings
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable read_done_;
  ReadAheadWindow window_;
  std::deque<std::shared_ptr<ListingAhead>> listings_ahead_;
  // The file whose reader's reads the run is replaying: its later reads
  // come after the first.
  std::shared_ptr<Announced> replaying_;
  std::optional<LastRead> last_read_;
  bool stopping_ = false;
  int in_flight_ = 0;  // reads and listings the workers are making
  std::vector<std::thread> workers_;
};

// The number of read-ahead workers the front ends use unless told otherwise.
// Measured with quillfold-bench: a cold local disk keeps gaining up to about
// 16 reads in flight, and a share at 0.5 ms per request is already within
// its 32-way yardstick there; on a warm disk the workers stay idle.
inline constexpr int kDefaultReadAheadJobs = 16;

}  // namespace quillfold
