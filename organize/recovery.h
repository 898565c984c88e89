#pragma once

#include <string>

#include "organize/journal.h"
#include "organize/organize_host.h"
#include "organize/playlist_store.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

// Takes away the old name of each file of `run` (a run whose journal never
// completed) that a move by link and unlink, cut short between the two,
// left under both its old and its new name; never a name of any other file.
// `host` handles its events before each file (HandlePendingEvents only: a
// mend is not stopped part-way; the run takes a stop right after it).
void DropSecondNames(FileSystem& file_system, const RunRecord& run, OrganizeHost& host);

// Finishes the playlist section of `run`, a run on `base_folder` whose
// journal never completed (it was killed, or its playlists could not all be
// written): first DropSecondNames, then each line of `playlists` (the
// base's playlists as loaded just now) that names a file the journal
// records as moved is pointed at where the file is, found by its identity;
// each playlist changed so is recorded in that journal and then replaced,
// and the journal is marked complete. A run that left playlists alone is
// only marked complete. Returns the report piece naming the playlists
// mended. Failures throw RunError; the journal then stays incomplete, for
// the next run to finish. `host` handles its events before each file and
// each playlist written, as in DropSecondNames.
std::string MendInterruptedRun(FileSystem& file_system, JournalStorage& journals,
                               const std::string& base_folder, const RunRecord& run,
                               PlaylistStore& playlists, OrganizeHost& host);

}  // namespace quillfold
