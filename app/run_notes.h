#pragma once

#include <array>
#include <string>
#include <vector>

#include "errors/run_error.h"

namespace quillfold {

// What the desktop program adds after a run's own report, in the report's
// house style (CR LF breaks, items indented by three blanks): the files
// whose tag could not be read, the playlist links not followed, the
// playlists left untouched, the mounted folders not entered, and where a
// stopped run stopped. The report's own lines are never changed.
class RunNotes {
 public:
  // What the run passed over, one section each, in this order.
  enum class Kind { kTagUnreadable, kLinkSkipped, kPlaylistSkipped, kMountedFolder, kCount };

  void Clear() { *this = RunNotes(); }
  // `item` is a path, `reason` the engine's words for it ("" for none).
  void Add(Kind kind, const std::string& item, const std::string& reason = "");
  // The latest file the per-file phase started (1-based) and the count.
  void Placing(int index, int count) {
    placing_ = index;
    count_ = count;
  }

  // The sections for the lists above, each after an empty line; "" when
  // all are empty.
  std::string Sections() const;
  // "Stopped by the user after file 12 of 300; ...".
  std::string StoppedText() const;

 private:
  std::array<std::vector<std::string>, static_cast<std::size_t>(Kind::kCount)> items_;
  int placing_ = 0;
  int count_ = 0;
};

// True for the failures that the user's files, folders or disks cause
// (missing or taken names, a full disk, no permission, a read-only medium,
// a base held by another run, a folder that cannot be listed), which are
// shown as a plain message; everything else is a fault of the program,
// shown by the error reporter.
bool IsExpectedFailure(const RunError& error);

// The plain message for an expected failure: "Error 70: Permission denied
// (...)". What the run did before it is in the report.
std::string ExpectedFailureMessage(const RunError& error);

}  // namespace quillfold
