#include "organize/undo.h"

#include <vector>

#include "errors/run_error.h"
#include "organize/journal.h"
#include "organize/report.h"
#include "platform/path_helpers.h"
#include "product/product.h"
#include "text/add_backslash.h"

namespace quillfold {
namespace {

using Kind = JournalRecord::Kind;

// Walks one run's records backwards, changing the disk only when `apply`,
// and collects the report's sections.
class RunReversal {
 public:
  RunReversal(FileSystem& file_system, const std::string& base_folder, bool apply)
      : file_system_(file_system), base_folder_(base_folder), apply_(apply) {}

  // Lets `host` in before each record; a report-only pass also stops there
  // when asked to (a real one runs to its end, so the journal stays true).
  void Reverse(const std::vector<JournalRecord>& records, OrganizeHost& host);
  void Report(OrganizeHost& host) const;
  bool all_restored() const { return not_restored_.empty(); }

 private:
  void MoveBack(const std::string& old_path, const std::string& current);
  void PutBackPlaylist(const std::string& path, const std::string& old_bytes,
                       const std::string& written);
  void RecreateFolder(const std::string& folder);
  void RemoveCreatedFolder(const std::string& folder);
  std::string Relative(const std::string& path) const { return path.substr(base_folder_.size()); }
  void NotRestored(const std::string& path, std::string_view reason) {
    not_restored_.push_back(NotRestoredText(Relative(path), reason));
  }

  FileSystem& file_system_;
  const std::string& base_folder_;
  const bool apply_;
  std::vector<std::string> files_, playlists_, recreated_, removed_, not_restored_;
};

void RunReversal::Reverse(const std::vector<JournalRecord>& records, OrganizeHost& host) {
  for (std::size_t i = records.size(); i-- > 0;) {
    host.HandlePendingEvents();
    if (!apply_ && host.StopRequested()) throw RunStopped();
    const std::vector<std::string>& fields = records[i].fields;
    switch (records[i].kind) {
      case Kind::kMove:
        if (const auto current = WhereMoved(file_system_, records, i))
          MoveBack(fields[0], *current);
        break;
      case Kind::kPlaylist:
        PutBackPlaylist(fields[0], fields[1], fields[2]);
        break;
      case Kind::kFolderRemoved:
        RecreateFolder(fields[0]);
        break;
      case Kind::kFolderCreated:
        RemoveCreatedFolder(fields[0]);
        break;
      default:
        break;
    }
  }
}

void RunReversal::MoveBack(const std::string& old_path, const std::string& current) {
  if (!PathExists(file_system_, current)) {
    return NotRestored(current, "no longer where the run put it");
  }
  if (PathExists(file_system_, old_path)) {
    return NotRestored(current, "its old place is taken");
  }
  if (apply_) {
    try {
      EnsureFolder(file_system_, old_path.substr(0, old_path.rfind(file_system_.separator())));
      if (file_system_.RenameNoReplace(current, old_path) == RenameOutcome::kTargetTaken) {
        return NotRestored(current, "its old place is taken");
      }
    } catch (const RunError& error) {
      return NotRestored(current, error.description());
    }
  }
  files_.push_back(ResultLine(
      Relative(current), MoveBackText(old_path, base_folder_.size(), file_system_.separator())));
}

void RunReversal::PutBackPlaylist(const std::string& path, const std::string& old_bytes,
                                  const std::string& written) {
  // A kill while the run replaced the playlist leaves its temporary.
  if (apply_) file_system_.RemoveLeftoverReplacements(path);
  try {
    const std::string now = file_system_.ReadTextFile(path);
    // A kill between the record and the replace left the old bytes.
    if (now == old_bytes) return;
    if (now != written) return NotRestored(path, "changed since the run");
    if (apply_) file_system_.ReplaceTextFile(path, old_bytes);
  } catch (const RunError& error) {
    return NotRestored(path, error.description());
  }
  playlists_.push_back(Relative(path));
}

void RunReversal::RecreateFolder(const std::string& folder) {
  if (PathExists(file_system_, folder)) return;  // the run was stopped before removing it
  if (apply_ && !EnsureFolder(file_system_, folder)) {
    return NotRestored(folder, "the folder could not be created");
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

void RunReversal::Report(OrganizeHost& host) const {
  const auto section = [&](const std::vector<std::string>& lines, const std::string& header) {
    if (lines.empty()) return;
    host.AppendReport(header);
    for (const std::string& line : lines) host.AppendReport(ListedLine(line));
  };
  section(files_, MovedBackHeader(apply_));
  section(playlists_, RestoredPlaylistsHeader(apply_));
  section(recreated_, RecreatedFoldersHeader(apply_));
  section(removed_, CreatedFoldersHeader(apply_));
  section(not_restored_, NotRestoredHeader());
  if (files_.empty() && playlists_.empty() && recreated_.empty() && removed_.empty() &&
      not_restored_.empty()) {
    host.AppendReport(ClosingLine());
  }
}

}  // namespace

UndoOutcome UndoLastRun(FileSystem& file_system, JournalStorage& journals, OrganizeHost& host) {
  const std::string base_folder = AddBackslash(host.ChosenPath(), file_system.separator());
  file_system.ForgetHeldFolders();
  struct LetGo {
    FileSystem& file_system;
    ~LetGo() { file_system.ForgetHeldFolders(); }
  } let_go{file_system};
  const bool apply = host.CurrentOptions().chkDontDo == 0;
  std::vector<RunRecord> runs = RunsOnBase(journals, base_folder);
  std::erase_if(runs, [](const RunRecord& run) { return run.undone; });
  if (runs.empty()) {
    host.ShowMessage(NothingToUndoMessage(base_folder), std::string(kProductTitle));
    return UndoOutcome::kNothingToUndo;
  }
  const RunRecord& run = runs.back();
  const std::string when = RunTimeText(run.started_ns);
  std::unique_ptr<FolderHold> hold;
  if (apply) {
    hold = file_system.HoldForRun(base_folder);
    if (!hold) throw BaseHeldError(base_folder);
  }
  if (apply && host.AskYesNoCancel(UndoConfirmationPrompt(when, base_folder),
                                   std::string(kConfirmationCaption)) != Answer::kYes) {
    return UndoOutcome::kDeclined;
  }
  host.ClearReport();
  host.ShowReport();
  host.AppendReport(UndoHeader(apply, when, base_folder));
  RunReversal reversal(file_system, base_folder, apply);
  reversal.Reverse(run.records, host);
  if (apply) RunJournal(journals, run.name).Undone();
  reversal.Report(host);
  return reversal.all_restored() ? UndoOutcome::kRestored : UndoOutcome::kPartlyRestored;
}

std::string RunList(JournalStorage& journals, const std::string& base_folder) {
  std::string list;
  for (const RunRecord& run : RunsOnBase(journals, base_folder)) {
    list += RunTimeText(run.started_ns) + "  " + std::to_string(run.FilesMoved()) +
            " files moved  " + (run.undone ? "undone" : "not undone") +
            (run.complete ? "" : ", interrupted") + "\n";
  }
  return list;
}

}  // namespace quillfold
