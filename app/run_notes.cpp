#include "app/run_notes.h"

#include "organize/report.h"

namespace quillfold {
namespace {

std::string Section(const std::string& header, const std::vector<std::string>& items) {
  if (items.empty()) return {};
  std::string text = std::string(kLineBreak) + std::string(kLineBreak) + header;
  for (const std::string& item : items) text += ListedLine(item);
  return text;
}

}  // namespace

void RunNotes::TagUnreadable(const std::string& path, const std::string& reason) {
  unreadable_.push_back(path + " (" + reason + ")");
}

void RunNotes::LinkSkipped(const std::string& link, const std::string& reason) {
  skipped_.push_back(link + " (" + reason + ")");
}

std::string RunNotes::Sections() const {
  return Section("The Tags of These Files Could Not Be Read (Filed as Files Without a Tag):",
                 unreadable_) +
         Section("These Playlist Links Were Not Followed:", skipped_);
}

// The engine checks for a stop before it starts a file, so the latest file
// it started was placed whole.
std::string RunNotes::StoppedText() const {
  if (placing_ == 0) return "Stopped by the user before any file was moved.";
  if (placing_ == count_) return "Stopped by the user after the last file was placed.";
  return "Stopped by the user after file " + std::to_string(placing_) + " of " +
         std::to_string(count_) + "; the playlists were written for the files moved so far.";
}

bool IsExpectedFailure(const RunError& error) {
  switch (error.error_number()) {
    case ErrorNumber::kFileNotFound:
    case ErrorNumber::kFileAlreadyExists:
    case ErrorNumber::kDiskFull:
    case ErrorNumber::kPermissionDenied:
    case ErrorNumber::kPathFileAccessError:
    case ErrorNumber::kPathNotFound:
      return true;
    default:
      return false;
  }
}

std::string ExpectedFailureMessage(const RunError& error) {
  return "Error " + std::to_string(error.number()) + ": " + error.description();
}

}  // namespace quillfold
