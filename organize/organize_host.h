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

  // Lets the front end handle pending events. Called between two steps of
  // every phase, never inside one: in the tree searches after each file
  // found and before each subfolder is entered; before each playlist is
  // read, each file placed, each playlist written and each folder removed;
  // between bounded pieces of reading, indexing and writing one very large
  // playlist, where it must not throw; and before each step of an undo. A
  // front end that wants fewer calls skips some itself (the desktop program
  // handles events every few ms).
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

  // The folder `folder` is where another volume is mounted inside the base:
  // the run does not enter it (no move could leave that volume), in a
  // report-only run as in a real one. Said once per run, by the music search.
  virtual void MountedFolderSkipped([[maybe_unused]] const std::string& folder) {}
  // The playlist at `path` makes no sense as one (`reason` says why: it is
  // not a text file, a line is too long, it is too large). It is left
  // untouched.
  virtual void PlaylistSkipped([[maybe_unused]] const std::string& path,
                               [[maybe_unused]] const std::string& reason) {}

  // True once the user has asked the run to stop (a signal on the command
  // line, Stop in the desktop program). The run asks between files, between
  // searched folders and between removed folders, never while a move or a
  // playlist write is under way, and then ends through the same wrap-up as
  // a failure part-way: see RunStopped(). An undo asks before each of its
  // steps, and the next undo finishes one that was stopped.
  virtual bool StopRequested() { return false; }
};

}  // namespace quillfold
