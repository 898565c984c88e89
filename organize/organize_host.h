#pragma once

#include <string>

#include "organize/organize_options.h"

namespace quillfold {

enum class Answer { kYes, kNo, kCancel };

// Everything a run needs from the front end that started it: the desktop
// window, the command line, or a test. The run calls these on its own thread
// at the moments its phases name and never keeps what they return.
class OrganizeHost {
 public:
  virtual ~OrganizeHost() = default;

  // The chosen base folder as the front end shows it (the main window's
  // lblPath). The run adds a trailing separator itself.
  virtual std::string ChosenPath() = 0;

  // The six options as they stand at this moment. The run calls this each
  // time it reads one option and uses only that one field.
  virtual OrganizeOptions CurrentOptions() = 0;

  // A modal question with Yes, No and Cancel (Yes the default, no icon).
  virtual Answer AskYesNoCancel(const std::string& prompt, const std::string& caption) = 0;

  // A modal message with an OK button only and no icon.
  virtual void ShowMessage(const std::string& prompt, const std::string& caption) = 0;

  // The report (the report window's text). Clearing creates the window if
  // needed without showing it; showing does not block the caller; appending
  // adds `text` at the end exactly as given (line breaks are CR LF).
  virtual void ClearReport() = 0;
  virtual void ShowReport() = 0;
  virtual void AppendReport(const std::string& text) = 0;

  // Lets the front end handle pending events. Called only inside the tree
  // searches: after each file found and before each subfolder is entered.
  virtual void HandlePendingEvents() = 0;

  // Progress for large trees. `found` files so far during a search for
  // music files; then file `index` (1-based) of `count` before each file of
  // the per-file phase. Front ends show it; none may run other work here.
  virtual void SearchProgress(int found) = 0;
  virtual void PlacingProgress(int index, int count) = 0;

  // The file at `path` could not be read (`reason`: the OS's words); the run
  // files it as a file without a tag, where any such file goes.
  virtual void TagUnreadable([[maybe_unused]] const std::string& path,
                             [[maybe_unused]] const std::string& reason) {}

  // The ID3v1 mode found `count` files (at least one) that have an ID3v2
  // tag but no ID3v1 tag, and filed them as files without a tag; the front
  // end says so outside the report, naming the option that reads them.
  // Called once, after the last file.
  virtual void FilesWithOnlyId3v2([[maybe_unused]] int count) {}

  // The playlist link at `link` is not followed: `reason` says why (it leads
  // outside the base folder, or to no file). Its playlist is not updated.
  virtual void PlaylistLinkSkipped([[maybe_unused]] const std::string& link,
                                   [[maybe_unused]] const std::string& reason) {}

  // True once the user has asked the run to stop (a signal on the command
  // line). The run asks between files and between searched folders, never
  // while a move or a playlist write is under way, and then ends through
  // the same wrap-up as a failure part-way: see RunStopped().
  virtual bool StopRequested() { return false; }
};

}  // namespace quillfold
