#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "errors/run_error.h"

namespace quillfold {

// The wording of a run: the report pieces in the order a run appends them,
// and its two messages. Report lines are separated by CR LF and listed items
// are indented by three blanks; a piece starts with the line break that sets
// it off, so the report never ends in one.

inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kConfirmationCaption = "Are You Sure?";

// "Processing Directory BASE:" in a real run, "Scanning Directory BASE:" in a
// report-only run. The run appends it to a report it has just cleared, so it
// needs no line break in front.
std::string ReportHeader(bool real_run, std::string_view base_folder);

// "The following MP3 files were moved:" / "... will be moved:", after an
// empty line.
std::string FileSectionHeader(bool real_run);

// "Also, the following music lists were updated:" / "... may be updated:",
// after an empty line.
std::string PlaylistSectionHeader(bool real_run);

// "The Following Directories Were Removed:", after an empty line.
std::string RemovedFoldersHeader();

// "Nothing needs to be done.", after an empty line.
std::string ClosingLine();

// A listed item on its own line, indented by three blanks.
std::string ListedLine(std::string_view item);

// A file's report line: its name before the run in double quotes, a colon, a
// blank, then what happened to it.
std::string ResultLine(std::string_view current_name, std::string_view move_result);

// What a move does, naming the target relative to the base folder:
// Move to "./Artist/Album/07. Title.mp3" (with the file system's separator).
std::string MoveText(std::string_view new_full_path, std::size_t base_length, char separator);

// "Convert Every mp3 File Under BASE?"
std::string ConfirmationPrompt(std::string_view base_folder);

// "No MP3 files found under BASE"
std::string NoFilesMessage(std::string_view base_folder);

// Why a real run or an undo did not start: another one holds the base.
RunError BaseHeldError(std::string_view base_folder);

// The error of a real run on a base whose last undo was cut short: its
// playlists and files are half way back, and only the undo knows the rest.
RunError UnfinishedUndoError(std::string_view when, std::string_view base_folder);
// Another undo finished the run of `when` between this undo's list of the
// runs and its hold on the base.
RunError UndoneMeanwhileError(std::string_view when, std::string_view base_folder);

// The wording of an undo, in the same pieces and breaks. `when` is a run's
// start as undo shows it.

// "Undoing Run of WHEN in Directory BASE:" when carried out, "Scanning Run
// of WHEN in Directory BASE:" when only reported.
std::string UndoHeader(bool real_undo, std::string_view when, std::string_view base_folder);

// "The following MP3 files were moved back:" / "... will be moved back:".
std::string MovedBackHeader(bool real_undo);

// "Also, the following music lists were restored:" / "... may be restored:".
std::string RestoredPlaylistsHeader(bool real_undo);

// "The Following Directories Were Re-created:" / "... Will Be Re-created:".
std::string RecreatedFoldersHeader(bool real_undo);

// "The Following Directories Were Removed Again:" / "... May Be Removed Again:";
// the folders the run created.
std::string CreatedFoldersHeader(bool real_undo);

// "The Run of WHEN Was Interrupted; the following music lists were mended:",
// the section a run starts with when it finished a killed run's playlists.
std::string InterruptedRunHeader(std::string_view when);

// "The Following Could Not Be Restored:", with each line's reason.
std::string NotRestoredHeader();

// Where an undo that the user stopped ended, after an empty line: "Undo
// stopped by the user after file 2 of 3; the next undo finishes this one."
// (`files_done` 0: "before the first file"; `file_count`: "after the last
// file", with folders or playlists still to do). A preview says instead that
// nothing was changed.
std::string UndoStoppedLine(bool real_undo, int files_done, int file_count);

// Move back to "./Artist/old name.mp3".
std::string MoveBackText(std::string_view old_full_path, std::size_t base_length, char separator);

// "NAME: Not Restored (REASON)".
std::string NotRestoredText(std::string_view name, std::string_view reason);

// "No run to undo on BASE"
std::string NothingToUndoMessage(std::string_view base_folder);

// "Undo the Run of WHEN Under BASE?"
std::string UndoConfirmationPrompt(std::string_view when, std::string_view base_folder);

// A run's start, "2026-12-07 07:30:12 UTC".
std::string RunTimeText(std::int64_t started_ns);

}  // namespace quillfold
