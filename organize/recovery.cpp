#include "organize/recovery.h"

#include "organize/report.h"
#include "platform/path_helpers.h"

namespace quillfold {
namespace {

// Where each journaled move of `run` left its file: nothing for a file not
// moved or gone.
std::vector<std::optional<std::string>> MovedFiles(FileSystem& file_system,
                                                   const std::vector<JournaledMove>& moves,
                                                   OrganizeHost& host) {
  std::vector<std::optional<std::string>> moved_to;
  for (const JournaledMove& move : moves) {
    host.HandlePendingEvents();
    const MovedFileState state = LocateMovedFile(file_system, move);
    if (state.old_name_kept_too) file_system.RemoveSecondName(move.old_path, state.path);
    moved_to.push_back(state.where == MovedFileState::Where::kMoved
                           ? std::optional<std::string>(state.path)
                           : std::nullopt);
  }
  return moved_to;
}

void PointLinesAtMovedFiles(FileSystem& file_system, PlaylistStore& playlists,
                            const std::vector<JournaledMove>& moves,
                            const std::vector<std::optional<std::string>>& moved_to,
                            bool by_move_number, OrganizeHost& host) {
  for (std::size_t i = 0; i < moves.size(); ++i) {
    host.HandlePendingEvents();
    if (!moved_to[i]) continue;
    playlists.FileMoved(
        moves[i].old_path, *moved_to[i],
        by_move_number ? std::optional(static_cast<std::uint32_t>(i)) : std::nullopt);
  }
  playlists.FollowMovedFiles(
      [&](const std::string& path) { return PathExists(file_system, path); });
}

}  // namespace

void DropSecondNames(FileSystem& file_system, const RunRecord& run, OrganizeHost& host) {
  MovedFiles(file_system, run.moves, host);
}

std::string MendInterruptedRun(FileSystem& file_system, JournalStorage& journals,
                               const std::string& base_folder, const RunRecord& run,
                               PlaylistStore& playlists, OrganizeHost& host) {
  RunJournal journal(journals, run);
  std::string piece = InterruptedRunHeader(RunTimeText(run.started_ns));
  const std::vector<std::optional<std::string>> moved_to = MovedFiles(file_system, run.moves, host);
  if (run.playlists_updated) {
    // A kill while a playlist was being replaced leaves its temporary.
    for (const JournalRecord& record : run.records) {
      if (record.kind == JournalRecord::Kind::kPlaylist) {
        file_system.RemoveLeftoverReplacements(record.fields[0]);
      }
    }
    // Undo names a move's old path again under the base as the run named
    // it: lines mended under another name of the base keep their old bytes.
    PointLinesAtMovedFiles(file_system, playlists, run.moves, moved_to,
                           run.recorded_base == base_folder, host);
    for (int slot = 1; slot <= playlists.PlaylistCount(); ++slot) {
      if (!playlists.PlaylistChanged(slot)) continue;
      host.HandlePendingEvents();
      // Recorded in the killed run's journal, so that undoing that run puts
      // back what this wrote, and then what the run itself wrote.
      journal.WillReplacePlaylist(base_folder + playlists.PlaylistName(slot),
                                  playlists.PlaylistChange(slot));
      SavePlaylist(file_system, base_folder, playlists, slot);
      piece += ListedLine(playlists.PlaylistName(slot));
    }
  }
  journal.Complete();
  return piece;
}

}  // namespace quillfold
