#include "tests/support/recording_host.h"

namespace quillfold::testing {

Answer RecordingHost::AskYesNoCancel(const std::string& prompt, const std::string& caption) {
  events.push_back("ask:" + prompt + "|" + caption);
  return answer;
}

void RecordingHost::ShowMessage(const std::string& prompt, const std::string& caption) {
  events.push_back("message:" + prompt + "|" + caption);
}

void RecordingHost::ClearReport() {
  events.push_back("clear");
  report.clear();
}

std::vector<std::string> RecordingHost::ReportLines() const {
  std::vector<std::string> lines;
  if (report.empty()) return lines;
  std::size_t start = 0;
  for (auto end = report.find("\r\n"); end != std::string::npos; end = report.find("\r\n", start)) {
    lines.push_back(report.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(report.substr(start));
  return lines;
}

}  // namespace quillfold::testing
