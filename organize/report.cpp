#include "organize/report.h"

#include <ctime>

#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::string_view kSectionBreak = "\r\n\r\n";
constexpr std::string_view kIndent = "   ";

std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text += piece;
  return text;
}

}  // namespace

std::string ReportHeader(bool real_run, std::string_view base_folder) {
  return Joined(
      {real_run ? "Processing" : "Scanning", " Directory ", ControlBytesEscaped(base_folder), ":"});
}

std::string FileSectionHeader(bool real_run) {
  return Joined(
      {kSectionBreak, "The following MP3 files ", real_run ? "were" : "will be", " moved:"});
}

std::string PlaylistSectionHeader(bool real_run) {
  return Joined({kSectionBreak, "Also, the following music lists ", real_run ? "were" : "may be",
                 " updated:"});
}

std::string RemovedFoldersHeader() {
  return Joined({kSectionBreak, "The Following Directories Were Removed:"});
}

std::string ClosingLine() { return Joined({kSectionBreak, "Nothing needs to be done."}); }

std::string ListedLine(std::string_view item) {
  return Joined({kLineBreak, kIndent, ControlBytesEscaped(item)});
}

std::string ResultLine(std::string_view current_name, std::string_view move_result) {
  return Joined({"\"", current_name, "\": ", move_result});
}

std::string MoveText(std::string_view new_full_path, std::size_t base_length, char separator) {
  const std::string_view relative = new_full_path.substr(base_length);
  return Joined({"Move to \".", std::string_view(&separator, 1), relative, "\""});
}

std::string ConfirmationPrompt(std::string_view base_folder) {
  return Joined({"Convert Every mp3 File Under ", ControlBytesEscaped(base_folder), "?"});
}

std::string NoFilesMessage(std::string_view base_folder) {
  return Joined({"No MP3 files found under ", ControlBytesEscaped(base_folder)});
}

RunError BaseHeldError(std::string_view base_folder) {
  return RunError(
      ErrorNumber::kPermissionDenied,
      Joined({"Permission denied (another run is changing ", ControlBytesEscaped(base_folder),
              " or a folder inside or above it; nothing was changed)"}));
}

RunError UnfinishedUndoError(std::string_view when, std::string_view base_folder) {
  return RunError(ErrorNumber::kPathFileAccessError,
                  Joined({"Path/File access error (the undo of the run of ", when, " under ",
                          ControlBytesEscaped(base_folder),
                          " was cut short; undo again to finish it; nothing was changed)"}));
}

RunError UndoneMeanwhileError(std::string_view when, std::string_view base_folder) {
  return RunError(ErrorNumber::kPathFileAccessError,
                  Joined({"Path/File access error (the run of ", when, " under ",
                          ControlBytesEscaped(base_folder),
                          " was undone by another undo meanwhile; nothing was changed)"}));
}

std::string UndoHeader(bool real_undo, std::string_view when, std::string_view base_folder) {
  return Joined({real_undo ? "Undoing" : "Scanning", " Run of ", when, " in Directory ",
                 ControlBytesEscaped(base_folder), ":"});
}

std::string MovedBackHeader(bool real_undo) {
  return Joined(
      {kSectionBreak, "The following MP3 files ", real_undo ? "were" : "will be", " moved back:"});
}

std::string RestoredPlaylistsHeader(bool real_undo) {
  return Joined({kSectionBreak, "Also, the following music lists ", real_undo ? "were" : "may be",
                 " restored:"});
}

std::string RecreatedFoldersHeader(bool real_undo) {
  return Joined({kSectionBreak, "The Following Directories ", real_undo ? "Were" : "Will Be",
                 " Re-created:"});
}

std::string CreatedFoldersHeader(bool real_undo) {
  return Joined({kSectionBreak, "The Following Directories ", real_undo ? "Were" : "May Be",
                 " Removed Again:"});
}

std::string InterruptedRunHeader(std::string_view when) {
  return Joined({kSectionBreak, "The Run of ", when,
                 " Was Interrupted; the following music lists were mended:"});
}

std::string NotRestoredHeader() {
  return Joined({kSectionBreak, "The Following Could Not Be Restored:"});
}

std::string UndoStoppedLine(bool real_undo, int files_done, int file_count) {
  const std::string where =
      files_done == 0 ? "before the first file"
      : files_done == file_count
          ? "after the last file"
          : "after file " + std::to_string(files_done) + " of " + std::to_string(file_count);
  return Joined({kSectionBreak, real_undo ? "Undo" : "Preview", " stopped by the user ", where,
                 real_undo ? "; the next undo finishes this one." : "; nothing was changed."});
}

std::string MoveBackText(std::string_view old_full_path, std::size_t base_length, char separator) {
  return Joined({"Move back to \".", std::string_view(&separator, 1),
                 old_full_path.substr(base_length), "\""});
}

std::string NotRestoredText(std::string_view name, std::string_view reason) {
  return Joined({"\"", name, "\": Not Restored (", reason, ")"});
}

std::string NothingToUndoMessage(std::string_view base_folder) {
  return Joined({"No run to undo on ", ControlBytesEscaped(base_folder)});
}

std::string UndoConfirmationPrompt(std::string_view when, std::string_view base_folder) {
  return Joined({"Undo the Run of ", when, " Under ", ControlBytesEscaped(base_folder), "?"});
}

std::string RunTimeText(std::int64_t started_ns) {
  const std::time_t seconds = static_cast<std::time_t>(started_ns / 1000000000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

}  // namespace quillfold
