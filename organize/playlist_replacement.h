#pragma once

#include <optional>
#include <string>
#include <vector>

#include "errors/run_error.h"
#include "organize/journal.h"
#include "organize/organize_host.h"
#include "organize/playlist_store.h"
#include "platform/file_system.h"

namespace quillfold {

// What replacing the changed playlists came to: the slots written, in
// order, and the first failure: the journal's, or else that of the first
// playlist that could not be written.
struct PlaylistsReplaced {
  std::vector<int> written;
  std::optional<RunError> first_failure;
};

// Follows the moves noted in `store` through its playlists
// (FollowMovedFiles, with `names_other_file`) and writes every changed
// playlist back to its file as soon as its lines are final, while the next
// ones are followed. Each is recorded in `journal` (when there is one)
// before it is replaced, so that a crash leaves each recorded playlist old
// or new, as undo and the mending of a killed run expect, and every other
// one untouched. Once the journal fails, no playlist not yet handed over is
// written. Every changed playlist is written even when a stop was asked
// for. `host` is let in between playlists and while the records and the
// writes are waited for.
PlaylistsReplaced ReplaceChangedPlaylists(FileSystem& file_system, const std::string& base_folder,
                                          PlaylistStore& store,
                                          const NamesOtherFile& names_other_file,
                                          RunJournal* journal, OrganizeHost& host);

}  // namespace quillfold
