#pragma once

#include <string>
#include <vector>

#include "errors/error_reporter.h"

namespace quillfold::testing {

// The error reporter's host while it lives: records what the reporter does
// instead of touching the desktop, and answers `answer_yes`.
class RecordingErrorHost final : public ErrorReporterHost {
 public:
  RecordingErrorHost() { InstallErrorReporterHost(this); }
  ~RecordingErrorHost() override { InstallErrorReporterHost(nullptr); }
  RecordingErrorHost(const RecordingErrorHost&) = delete;
  RecordingErrorHost& operator=(const RecordingErrorHost&) = delete;

  void ClearClipboard() override {
    calls.push_back("clear");
    clipboard.clear();
  }
  void SetClipboardText(const std::string& text) override {
    calls.push_back("set");
    clipboard = text;
  }
  bool AskContinue(const std::string& text, const std::string& title) override {
    calls.push_back("ask");
    shown.push_back(text);
    shown_title = title;
    return answer_yes;
  }
  void EndProgramNow() override { calls.push_back("end"); }

  bool answer_yes = true;
  std::vector<std::string> calls;
  std::string clipboard = "earlier content";
  std::vector<std::string> shown;  // the texts asked about, in order
  std::string shown_title;
};

}  // namespace quillfold::testing
