#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "organize/organize_host.h"

namespace quillfold::testing {

// A front end for tests: it answers with what the test set and records what
// the run asked of it, with the report as a window would show it.
class RecordingHost final : public OrganizeHost {
 public:
  std::string chosen_path;
  OrganizeOptions options;
  Answer answer = Answer::kYes;
  // Runs inside HandlePendingEvents, e.g. to change an option mid-search.
  std::function<void()> on_pending_events;
  // Asked by StopRequested; none never stops.
  std::function<bool()> stop_when;

  // What happened, in order: "clear", "show", "ask:PROMPT|CAPTION",
  // "message:PROMPT|CAPTION", "skipped:PLAYLIST|REASON" (appends only change
  // `report`).
  std::vector<std::string> events;
  std::string report;
  int last_found = 0;
  std::vector<std::pair<int, int>> placing;

  std::string ChosenPath() override { return chosen_path; }
  OrganizeOptions CurrentOptions() override { return options; }
  Answer AskYesNoCancel(const std::string& prompt, const std::string& caption) override {
    events.push_back("ask:" + prompt + "|" + caption);
    return answer;
  }
  void ShowMessage(const std::string& prompt, const std::string& caption) override {
    events.push_back("message:" + prompt + "|" + caption);
  }
  void PlaylistSkipped(const std::string& path, const std::string& reason) override {
    events.push_back("skipped:" + path + "|" + reason);
  }
  void ClearReport() override {
    events.push_back("clear");
    report.clear();
  }
  void ShowReport() override { events.push_back("show"); }
  void AppendReport(const std::string& text) override { report += text; }
  void HandlePendingEvents() override {
    if (on_pending_events) on_pending_events();
  }
  bool StopRequested() override { return stop_when && stop_when(); }
  void SearchProgress(int found) override { last_found = found; }
  void PlacingProgress(int index, int count) override { placing.emplace_back(index, count); }
  void MountedFolderSkipped(const std::string& folder) override { skipped.push_back(folder); }
  std::vector<std::string> skipped;  // mounted folders not entered

  // The report split at its CR LF separators.
  std::vector<std::string> ReportLines() const {
    std::vector<std::string> lines;
    for (std::size_t start = 0; !report.empty();) {
      const std::size_t end = report.find("\r\n", start);
      lines.push_back(report.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 2;
    }
    return lines;
  }
  // Those of its lines that list a move.
  std::vector<std::string> MoveLines() const {
    std::vector<std::string> lines = ReportLines();
    std::erase_if(lines,
                  [](const std::string& line) { return line.find(kMoveTo) == std::string::npos; });
    return lines;
  }
  static constexpr std::string_view kMoveTo = "\": Move to \"./";
};

}  // namespace quillfold::testing
