#include "cli/cli_host.h"

#include <algorithm>

#include "text/ascii.h"

namespace quillfold {
namespace {

// Progress is redrawn every this many files, and for the first and last.
constexpr int kProgressStep = 100;

// Carriage return, then erase to the end of the line.
constexpr std::string_view kEraseLine = "\r\x1b[K";

bool IsYes(std::string_view answer) {
  const std::string upper = AsciiUpper(TrimSpaces(answer));
  return upper == "Y" || upper == "YES";
}

bool IsCancel(std::string_view answer) {
  const std::string upper = AsciiUpper(TrimSpaces(answer));
  return upper == "C" || upper == "CANCEL";
}

}  // namespace

CliHost::CliHost(Console& console, const CliArguments& arguments, std::string base)
    : console_(console), arguments_(arguments), base_(std::move(base)) {}

Answer CliHost::AskYesNoCancel(const std::string& prompt, const std::string&) {
  if (arguments_.yes) return Answer::kYes;
  if (!console_.InputIsTerminal()) {
    console_.Err(
        "quillfold-cli: a run with --apply needs --yes when standard input is not a terminal; "
        "nothing was changed\n");
    declined_ = true;
    return Answer::kNo;
  }
  console_.Err(prompt + " [y/N/c] ");
  const std::optional<std::string> answer = console_.ReadLine();
  if (answer && IsYes(*answer)) return Answer::kYes;
  declined_ = true;
  return answer && IsCancel(*answer) ? Answer::kCancel : Answer::kNo;
}

void CliHost::ShowMessage(const std::string& prompt, const std::string&) {
  console_.Out(prompt + "\n");
}

void CliHost::AppendReport(const std::string& text) {
  ClearProgress();
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  console_.Out(lines);
  report_started_ = true;
}

void CliHost::FinishReport() {
  ClearProgress();
  if (report_started_) console_.Out("\n");
  report_started_ = false;
}

void CliHost::TagUnreadable(const std::string& path, const std::string& reason) {
  ClearProgress();
  console_.Err("quillfold-cli: the tag of \"" + ControlBytesEscaped(path) +
               "\" could not be read (" + reason + "); it is filed as a file without a tag\n");
}

void CliHost::FilesWithOnlyId3v2(int count) {
  ClearProgress();
  const std::string files = count == 1 ? "1 file has" : std::to_string(count) + " files have";
  console_.Err("quillfold-cli: " + files +
               " an ID3v2 tag but no ID3v1 tag and went to \"UNSORTED - No ID3v1 Tag\"; "
               "--id3v2 reads ID3v2 tags\n");
}

void CliHost::PlaylistLinkSkipped(const std::string& link, const std::string& reason) {
  NotUpdated("playlist link", link, reason);
}

void CliHost::PlaylistSkipped(const std::string& path, const std::string& reason) {
  NotUpdated("playlist", path, reason);
}

void CliHost::NotUpdated(std::string_view what, const std::string& path,
                         const std::string& reason) {
  ClearProgress();
  console_.Err("quillfold-cli: the " + std::string(what) + " \"" + ControlBytesEscaped(path) +
               "\" is not updated: " + reason + "\n");
}

void CliHost::MountedFolderSkipped(const std::string& folder) {
  ClearProgress();
  console_.Err("quillfold-cli: \"" + ControlBytesEscaped(folder) +
               "\" is another volume mounted inside the base folder; its files are left alone\n");
}

void CliHost::SearchProgress(int found) {
  if (found == 1 || found % kProgressStep == 0) {
    ShowProgress("Found " + std::to_string(found) + " MP3 files");
  }
}

void CliHost::PlacingProgress(int index, int count) {
  if (index == 1 || index == count || index % kProgressStep == 0) {
    ShowProgress("File " + std::to_string(index) + " of " + std::to_string(count));
  }
}

void CliHost::ShowProgress(const std::string& text) {
  if (!console_.ErrorIsTerminal()) return;
  console_.Err(std::string(kEraseLine) + text);
  progress_shown_ = true;
}

void CliHost::ClearProgress() {
  if (!progress_shown_) return;
  console_.Err(kEraseLine);
  progress_shown_ = false;
}

}  // namespace quillfold
