#include "organize/playlist_replacement.h"

#include <algorithm>

#include "organize/playlist_writer.h"

namespace quillfold {
namespace {

// The records are flushed a batch at a time, the first batch small so that
// the writer starts at once, each next one twice as large, up to a bound: a
// flush per playlist would carry the metadata of the moves before it each
// time, and one flush for all would keep the disk idle until every record
// was made.
constexpr std::size_t kFirstBatchBytes = std::size_t{256} << 10;
constexpr std::size_t kLargestBatchBytes = std::size_t{16} << 20;

// Records changed playlists in the journal as they are followed, and hands
// each batch to the writer once its records are on disk. Once the journal
// fails, nothing more is recorded or handed over.
class BatchedRecords {
 public:
  BatchedRecords(const std::string& base_folder, const PlaylistStore& store, RunJournal& journal,
                 OrganizeHost& host, PlaylistWriter& writer)
      : base_folder_(base_folder), store_(store), journal_(journal), host_(host), writer_(writer) {}

  void Add(int slot) {
    if (failure_ || !store_.PlaylistChanged(slot)) return;
    host_.HandlePendingEvents();
    Guarded([&] {
      ContentChange change = store_.PlaylistChange(slot);
      batch_bytes_ += change.new_size;
      journal_.WillReplacePlaylist(base_folder_ + store_.PlaylistName(slot), std::move(change),
                                   RunJournal::Durability::kBatched);
      batch_.push_back(slot);
      if (batch_bytes_ >= batch_limit_) HandOver();
    });
  }

  // Hands over the last batch; the journal's failure, if any.
  std::optional<RunError> Finish() {
    if (!failure_ && !batch_.empty()) Guarded([&] { HandOver(); });
    return std::move(failure_);
  }

 private:
  template <typename Work>
  void Guarded(Work work) {
    try {
      work();
    } catch (const std::exception& error) {
      failure_ = RunErrorFromException(error);
    }
  }

  void HandOver() {
    journal_.Write(RunJournal::Durability::kToDisk);
    for (const int slot : batch_) writer_.Write(slot);
    batch_.clear();
    batch_bytes_ = 0;
    batch_limit_ = std::min(batch_limit_ * 2, kLargestBatchBytes);
  }

  const std::string& base_folder_;
  const PlaylistStore& store_;
  RunJournal& journal_;
  OrganizeHost& host_;
  PlaylistWriter& writer_;
  std::vector<int> batch_;
  std::size_t batch_bytes_ = 0;
  std::size_t batch_limit_ = kFirstBatchBytes;
  std::optional<RunError> failure_;
};

}  // namespace

PlaylistsReplaced ReplaceChangedPlaylists(FileSystem& file_system, const std::string& base_folder,
                                          PlaylistStore& store,
                                          const NamesOtherFile& names_other_file,
                                          RunJournal* journal, OrganizeHost& host) {
  PlaylistsReplaced replaced;
  PlaylistWriter writer(file_system, base_folder, store);
  // Memory running out while the lines are followed ends the handing over;
  // the playlists handed over before are still written and listed.
  try {
    if (journal != nullptr) {
      BatchedRecords records(base_folder, store, *journal, host, writer);
      store.FollowMovedFiles(names_other_file, [&](int slot) { records.Add(slot); });
      replaced.first_failure = records.Finish();
    } else {
      store.FollowMovedFiles(names_other_file, [&](int slot) {
        if (store.PlaylistChanged(slot)) writer.Write(slot);
      });
    }
  } catch (const std::exception& error) {
    replaced.first_failure = RunErrorFromException(error);
  }
  for (const auto& [slot, failure] : writer.Finish([&host] { host.HandlePendingEvents(); })) {
    if (!failure) {
      replaced.written.push_back(slot);
      continue;
    }
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& error) {
      if (!replaced.first_failure) replaced.first_failure = RunErrorFromException(error);
    }
  }
  return replaced;
}

}  // namespace quillfold
