#pragma once

#include <string>

#include "organize/organize_host.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

enum class UndoOutcome {
  kNothingToUndo,   // no journal of a run on the base that is not undone yet
  kDeclined,        // the confirmation was not answered with Yes
  kRestored,        // everything the run changed is as it was (or would be)
  kPartlyRestored,  // something is listed as not restored
};

// Undoes the latest run on the host's chosen base folder (or on the same
// folder by another name) that is not undone yet, killed runs included; an
// undo cut short is taken up and finished first; chkDontDo 1 only reports what it would do, like
// every run. A real undo asks first, then, in the reverse order of the run:
// puts back each playlist whose content is still exactly what the run wrote
// (atomically), re-creates the folders the run removed, moves each file back
// with a move that never replaces anything, and removes the folders the run
// created once they are empty. It never overwrites and never deletes a file:
// a file no longer where the run put it, an old place now taken or a
// playlist changed since is listed as not restored and the rest goes on.
// The journal is then marked undone, so the next undo takes the run before.
// The report goes to the host in the house style. The host may stop an undo
// between two steps (StopRequested): it then throws RunStopped() after
// reporting what it did and where it stopped; the journal still says the
// undo was started and not ended, so the next undo finishes it (and a real
// run on the base is refused until then). Every failure leaves it as a
// RunError, a standard library's included.
UndoOutcome UndoLastRun(FileSystem& file_system, JournalStorage& journals, OrganizeHost& host);

// The runs on record for `base_folder` (ending in the separator; the same
// folder by another name, through a link or renamed, has the same runs), in
// the order they were made, one line each: the start time, the files moved,
// and whether the run is undone (or its undo was cut short) or was
// interrupted. Lines end in "\n"; no runs gives "".
std::string RunList(JournalStorage& journals, const std::string& base_folder,
                    FileSystem& file_system);

}  // namespace quillfold
