#include "organize/recovery.h"

#include <unordered_map>

#include "organize/report.h"
#include "platform/path_helpers.h"

namespace quillfold {

std::string MendInterruptedRun(FileSystem& file_system, JournalStorage& journals,
                               const std::string& base_folder, const RunRecord& run,
                               PlaylistStore& playlists) {
  RunJournal journal(journals, run.name);
  std::string piece = InterruptedRunHeader(RunTimeText(run.started_ns));
  if (run.playlists_updated) {
    // A kill while a playlist was being replaced leaves its temporary.
    for (const JournalRecord& record : run.records) {
      if (record.kind == JournalRecord::Kind::kPlaylist) {
        file_system.RemoveLeftoverReplacements(record.fields[0]);
      }
    }
    // Each move is mended as it was made: a line in other letter case that
    // named a file the run had yet to move named a file of its own then,
    // though by now that file has moved too.
    std::unordered_map<std::string, std::size_t> move_from;
    for (std::size_t i = 0; i < run.records.size(); ++i) {
      if (run.records[i].kind == JournalRecord::Kind::kMove)
        move_from[run.records[i].fields[0]] = i;
    }
    for (std::size_t i = 0; i < run.records.size(); ++i) {
      if (run.records[i].kind != JournalRecord::Kind::kMove) continue;
      const auto moved_to = WhereMoved(file_system, run.records, i);
      if (!moved_to) continue;
      playlists.ReplaceMatchingLines(
          run.records[i].fields[0], *moved_to, [&](const std::string& line) {
            const auto later = move_from.find(line);
            return (later != move_from.end() && later->second > i) || PathExists(file_system, line);
          });
    }
    for (int slot = 1; slot <= playlists.PlaylistCount(); ++slot) {
      if (!playlists.PlaylistChanged(slot)) continue;
      // Recorded in the killed run's journal, so that undoing that run puts
      // back what this wrote, and then what the run itself wrote.
      journal.WillReplacePlaylist(base_folder + playlists.PlaylistName(slot),
                                  playlists.LoadedContent(slot), playlists.PlaylistContent(slot));
      SavePlaylist(file_system, base_folder, playlists, slot);
      piece += ListedLine(playlists.PlaylistName(slot));
    }
  }
  journal.Complete();
  return piece;
}

}  // namespace quillfold
