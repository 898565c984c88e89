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

// Records the changed playlists batch by batch and hands each batch to
// `writer` once its records are on disk; the journal's failure, if any.
std::optional<RunError> RecordAndHandOver(const std::string& base_folder,
                                          const PlaylistStore& store, RunJournal& journal,
                                          OrganizeHost& host, PlaylistWriter& writer) {
  std::vector<int> batch;
  std::size_t batch_bytes = 0;
  std::size_t batch_limit = kFirstBatchBytes;
  const auto hand_over = [&] {
    journal.Write(RunJournal::Durability::kToDisk);
    for (const int slot : batch) writer.Write(slot);
    batch.clear();
    batch_bytes = 0;
    batch_limit = std::min(batch_limit * 2, kLargestBatchBytes);
  };
  try {
    for (int slot = 1; slot <= store.PlaylistCount(); ++slot) {
      if (!store.PlaylistChanged(slot)) continue;
      host.HandlePendingEvents();
      ContentChange change = store.PlaylistChange(slot);
      batch_bytes += change.new_size;
      journal.WillReplacePlaylist(base_folder + store.PlaylistName(slot), std::move(change),
                                  RunJournal::Durability::kBatched);
      batch.push_back(slot);
      if (batch_bytes >= batch_limit) hand_over();
    }
    if (!batch.empty()) hand_over();
  } catch (const std::exception& error) {
    return RunErrorFromException(error);
  }
  return std::nullopt;
}

}  // namespace

PlaylistsReplaced ReplaceChangedPlaylists(FileSystem& file_system, const std::string& base_folder,
                                          const PlaylistStore& store, RunJournal* journal,
                                          OrganizeHost& host) {
  PlaylistsReplaced replaced;
  PlaylistWriter writer(file_system, base_folder, store);
  if (journal != nullptr) {
    replaced.first_failure = RecordAndHandOver(base_folder, store, *journal, host, writer);
  } else {
    for (int slot = 1; slot <= store.PlaylistCount(); ++slot) {
      if (store.PlaylistChanged(slot)) writer.Write(slot);
    }
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
