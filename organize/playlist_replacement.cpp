#include "organize/playlist_replacement.h"

#include "organize/batched_records.h"
#include "organize/playlist_writer.h"

namespace quillfold {

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
      BatchedRecords records(base_folder, store, *journal, writer);
      store.FollowMovedFiles(names_other_file, [&](int slot) {
        if (!store.PlaylistChanged(slot)) return;
        host.HandlePendingEvents();
        records.Add(slot);
      });
      replaced.first_failure = records.Finish([&host] { host.HandlePendingEvents(); });
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
