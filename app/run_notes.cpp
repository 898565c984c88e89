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

void RunNotes::Add(Kind kind, const std::string& item, const std::string& reason) {
  items_[static_cast<std::size_t>(kind)].push_back(reason.empty() ? item
                                                                  : item + " (" + reason + ")");
}

std::string RunNotes::Sections() const {
  static constexpr std::array<std::string_view, static_cast<std::size_t>(Kind::kCount)> kHeaders = {
      "The Tags of These Files Could Not Be Read (Filed as Files Without a Tag):",
      "These Playlist Links Were Not Followed:", "These Playlists Were Left Untouched:",
      "These Folders Hold Another Mounted Volume and Were Not Entered:"};
  std::string sections;
  for (std::size_t kind = 0; kind < kHeaders.size(); ++kind) {
    sections += Section(std::string(kHeaders[kind]), items_[kind]);
  }
  return sections;
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
