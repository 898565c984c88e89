#include "organize/undo.h"

#include <charconv>
#include <set>
#include <vector>

#include "errors/run_error.h"
#include "organize/journal.h"
#include "organize/playlist_entry.h"
#include "organize/report.h"
#include "platform/path_helpers.h"
#include "product/product.h"
#include "text/add_backslash.h"
#include "text/scope_exit.h"

namespace quillfold {
namespace {

using Kind = JournalRecord::Kind;

std::uint32_t FieldNumber(const std::string& text) {
  std::uint32_t number = 0;
  std::from_chars(text.data(), text.data() + text.size(), number);
  return number;
}

// Walks one run's records backwards, changing the disk only when `apply`,
// and reports to `host`: the files moved back as they go, as they may be
// many, and the other sections, collected, after them. A step already done
// by an undo that was cut short is seen on disk and reported as done.
class RunReversal {
 public:
  RunReversal(FileSystem& file_system, OrganizeHost& host, const std::string& base_folder,
              const RunRecord& run, bool apply)
      : file_system_(file_system),
        host_(host),
        base_folder_(base_folder),
        run_(run),
        apply_(apply) {}

  // Lets the host in before each record and stops there when asked to
  // (RunStopped): every step is whole, and a real undo's journal still says
  // it was started and not ended, so the next undo takes it up.
  void Reverse();
  // The sections after the files moved back of what was done (or would
  // be); with nothing listed, the closing line unless the undo was stopped.
  enum class Ending { kWhole, kStopped };
  void Report(Ending ending) const;
  // Where a stopped undo ended, in the report's words.
  std::string StoppedLine() const {
    return UndoStoppedLine(apply_, moves_done_, static_cast<int>(run_.moves.size()));
  }
  bool all_restored() const { return not_restored_.empty(); }

 private:
  void MoveBack(const JournaledMove& move);
  void PutBackPlaylist(const JournalRecord& record);
  // The old text of a playlist line in `folder` that move number `move`
  // rewrote: the line naming the move's old path again, as the run wrote
  // it, under the base as the run named it.
  std::optional<std::string> OldLine(std::string_view line, std::uint32_t move,
                                     const std::string& folder) const;
  std::string AsRecorded(const std::string& path) const {
    return path.starts_with(base_folder_) ? run_.recorded_base + path.substr(base_folder_.size())
                                          : path;
  }
  void RecreateFolder(const JournalRecord& record);
  void RemoveCreatedFolder(const std::string& folder);
  // Whether anything is at `path` once the moves back so far are made: a
  // preview makes none, yet the file moved back first frees its place.
  bool Taken(const std::string& path) {
    if (would_take_.contains(path)) return true;
    return !would_free_.contains(path) && PathExists(file_system_, path);
  }
  std::string Relative(const std::string& path) const { return path.substr(base_folder_.size()); }
  void NotRestored(const std::string& path, std::string_view reason) {
    not_restored_.push_back(NotRestoredText(Relative(path), reason));
  }
  void MovedBack(const std::string& from, const std::string& to) {
    if (files_moved_back_++ == 0) host_.AppendReport(MovedBackHeader(apply_));
    host_.AppendReport(ListedLine(ResultLine(
        Relative(from), MoveBackText(to, base_folder_.size(), file_system_.separator()))));
  }

  FileSystem& file_system_;
  OrganizeHost& host_;
  const std::string& base_folder_;
  const RunRecord& run_;
  const bool apply_;
  int moves_done_ = 0;
  int files_moved_back_ = 0;
  std::set<std::string> would_take_, would_free_;
  std::vector<std::string> playlists_, recreated_, removed_, not_restored_;
};

// Folders first, so the files have their old folders to go to; then the
// files; the playlists last, each put back once every file it named is where
// it was. The host is let in before each step.
void RunReversal::Reverse() {
  const auto let_host_in = [&] {
    host_.HandlePendingEvents();
    if (host_.StopRequested()) throw RunStopped();
  };
  for (auto record = run_.records.rbegin(); record != run_.records.rend(); ++record) {
    let_host_in();
    if (record->kind == Kind::kFolderRemoved) RecreateFolder(*record);
  }
  for (auto move = run_.moves.rbegin(); move != run_.moves.rend(); ++move) {
    let_host_in();
    MoveBack(*move);
    ++moves_done_;
  }
  for (auto record = run_.records.rbegin(); record != run_.records.rend(); ++record) {
    let_host_in();
    if (record->kind == Kind::kFolderCreated) RemoveCreatedFolder(record->fields[0]);
  }
  for (auto record = run_.records.rbegin(); record != run_.records.rend(); ++record) {
    let_host_in();
    if (record->kind == Kind::kPlaylist) PutBackPlaylist(*record);
  }
}

void RunReversal::MoveBack(const JournaledMove& move) {
  const MovedFileState state = LocateMovedFile(file_system_, move);
  if (state.where == MovedFileState::Where::kNotMoved) {
    if (run_.undo_started && move.finished) MovedBack(move.targets.back(), move.old_path);
    return;
  }
  if (state.where == MovedFileState::Where::kGone) {
    return NotRestored(move.targets.back(), "no longer where the run put it");
  }
  if (state.old_name_kept_too) {
    if (apply_) file_system_.RemoveSecondName(state.path, move.old_path);
    return MovedBack(state.path, move.old_path);
  }
  if (Taken(move.old_path)) return NotRestored(state.path, "its old place is taken");
  if (apply_) {
    try {
      EnsureFolder(file_system_,
                   move.old_path.substr(0, move.old_path.rfind(file_system_.separator())));
      if (file_system_.RenameNoReplace(state.path, move.old_path) == RenameOutcome::kTargetTaken) {
        return NotRestored(state.path, "its old place is taken");
      }
    } catch (const RunError& error) {
      return NotRestored(state.path, error.description());
    }
  } else {
    would_free_.insert(state.path);
    would_take_.insert(move.old_path);
  }
  MovedBack(state.path, move.old_path);
}

void RunReversal::PutBackPlaylist(const JournalRecord& record) {
  const std::string& path = record.fields[0];
  const std::optional<PlaylistChange> change = PlaylistChangeOf(record);
  if (!change) return NotRestored(path, "its record in the journal is damaged");
  // A kill while the run replaced the playlist leaves its temporary.
  if (apply_) file_system_.RemoveLeftoverReplacements(path);
  try {
    const std::string now = file_system_.ReadTextFile(path);
    // A kill between the record and the replace left the old bytes; so does
    // an undo cut short after putting them back.
    if (now.size() == change->old_size && ContentHash(now) == change->old_hash) {
      if (run_.undo_started) playlists_.push_back(Relative(path));
      return;
    }
    if (now.size() != change->new_size || ContentHash(now) != change->new_hash) {
      return NotRestored(path, "changed since the run");
    }
    const std::string folder = AsRecorded(path.substr(0, path.rfind(file_system_.separator()) + 1));
    const std::optional<std::string> old = OldContent(
        now, change->stretches,
        [&](std::string_view line, std::uint32_t move) { return OldLine(line, move, folder); });
    if (!old || old->size() != change->old_size || ContentHash(*old) != change->old_hash) {
      return NotRestored(path, "its record in the journal is damaged");
    }
    if (apply_) file_system_.ReplaceTextFile(path, *old);
  } catch (const RunError& error) {
    return NotRestored(path, error.description());
  }
  playlists_.push_back(Relative(path));
}

std::optional<std::string> RunReversal::OldLine(std::string_view line, std::uint32_t move,
                                                const std::string& folder) const {
  if (move >= run_.moves.size()) return std::nullopt;
  return EntryNaming(line, AsRecorded(run_.moves[move].old_path), folder, file_system_.separator());
}

// Made again with the owner, group and mode it had.
void RunReversal::RecreateFolder(const JournalRecord& record) {
  const std::string& folder = record.fields[0];
  if (PathExists(file_system_, folder)) return;  // the run was stopped before removing it
  if (apply_) {
    if (!EnsureFolder(file_system_, folder)) {
      return NotRestored(folder, "the folder could not be created");
    }
    FileIdentity identity;
    identity.mode = FieldNumber(record.fields[1]);
    identity.owner = FieldNumber(record.fields[2]);
    identity.group = FieldNumber(record.fields[3]);
    file_system_.SetOwnerAndMode(folder, identity);
  }
  recreated_.push_back(folder);
}

// A folder that still holds anything stays: undo deletes nothing but the
// empty folders the run made.
void RunReversal::RemoveCreatedFolder(const std::string& folder) {
  if (!PathExists(file_system_, folder) || file_system_.IsSymbolicLink(folder)) return;
  if (apply_) {
    try {
      if (!file_system_.ListFolder(folder).empty()) return;
      file_system_.RemoveEmptyFolder(folder);
    } catch (const RunError&) {
      return;
    }
  }
  removed_.push_back(folder);
}

void RunReversal::Report(Ending ending) const {
  const auto section = [&](const std::vector<std::string>& lines, const std::string& header) {
    if (lines.empty()) return;
    host_.AppendReport(header);
    for (const std::string& line : lines) host_.AppendReport(ListedLine(line));
  };
  section(playlists_, RestoredPlaylistsHeader(apply_));
  section(recreated_, RecreatedFoldersHeader(apply_));
  section(removed_, CreatedFoldersHeader(apply_));
  section(not_restored_, NotRestoredHeader());
  if (ending == Ending::kWhole && files_moved_back_ == 0 && playlists_.empty() &&
      recreated_.empty() && removed_.empty() && not_restored_.empty()) {
    host_.AppendReport(ClosingLine());
  }
}

UndoOutcome UndoNewestRun(FileSystem& file_system, JournalStorage& journals, OrganizeHost& host) {
  const std::string base_folder = AddBackslash(host.ChosenPath(), file_system.separator());
  file_system.ForgetHeldFolders();
  const ScopeExit let_go([&] { file_system.ForgetHeldFolders(); });
  const bool apply = host.CurrentOptions().chkDontDo == 0;
  std::vector<RunSummary> runs = RunsOnBase(journals, BaseKey(file_system, base_folder));
  std::erase_if(runs, [](const RunSummary& run) { return run.undone; });
  if (runs.empty()) {
    host.ShowMessage(NothingToUndoMessage(base_folder), std::string(kProductTitle));
    return UndoOutcome::kNothingToUndo;
  }
  const std::string when = RunTimeText(runs.back().started_ns);
  std::unique_ptr<FolderHold> hold;
  if (apply) {
    hold = file_system.HoldForRun(base_folder);
    if (!hold) throw BaseHeldError(base_folder);
  }
  if (apply && host.AskYesNoCancel(UndoConfirmationPrompt(when, base_folder),
                                   std::string(kConfirmationCaption)) != Answer::kYes) {
    return UndoOutcome::kDeclined;
  }
  // Read whole only now, under the hold: no other run or undo adds to it.
  const RunRecord run = ReadRun(journals, runs.back(), base_folder);
  if (run.undone) throw UndoneMeanwhileError(when, base_folder);
  host.ClearReport();
  host.ShowReport();
  host.AppendReport(UndoHeader(apply, when, base_folder));
  // The undo is journaled too: one cut short is taken up again by the next.
  std::unique_ptr<RunJournal> journal;
  if (apply) {
    journal = std::make_unique<RunJournal>(journals, run);
    journal->UndoStarted();
  }
  RunReversal reversal(file_system, host, base_folder, run, apply);
  try {
    reversal.Reverse();
  } catch (const RunError& error) {
    if (error.error_number() != ErrorNumber::kUserInterrupt) throw;
    reversal.Report(RunReversal::Ending::kStopped);
    host.AppendReport(reversal.StoppedLine());
    throw;
  }
  if (journal) journal->Undone();
  reversal.Report(RunReversal::Ending::kWhole);
  return reversal.all_restored() ? UndoOutcome::kRestored : UndoOutcome::kPartlyRestored;
}

}  // namespace

UndoOutcome UndoLastRun(FileSystem& file_system, JournalStorage& journals, OrganizeHost& host) {
  return WithRunErrorsOnly([&] { return UndoNewestRun(file_system, journals, host); });
}

std::string RunList(JournalStorage& journals, const std::string& base_folder,
                    FileSystem& file_system) {
  std::string list;
  for (const RunSummary& run : RunsOnBase(journals, BaseKey(file_system, base_folder))) {
    list += RunTimeText(run.started_ns) + "  " + std::to_string(run.files_moved) +
            " files moved  " +
            (run.undone         ? "undone"
             : run.undo_started ? "undo interrupted"
                                : "not undone") +
            (run.complete ? "" : ", interrupted") + "\n";
  }
  return list;
}

}  // namespace quillfold
