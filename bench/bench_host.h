#pragma once

#include <string>

#include "organize/organize_host.h"

namespace quillfold::bench {

// A front end that answers Yes, counts the report's bytes and does nothing
// else, so a timed run measures the engine, time and memory: the command
// line, too, writes each report line out rather than keeping the report.
class BenchHost final : public OrganizeHost {
 public:
  BenchHost(std::string base, OrganizeOptions options)
      : base_(std::move(base)), options_(options) {}

  std::string ChosenPath() override { return base_; }
  OrganizeOptions CurrentOptions() override { return options_; }
  Answer AskYesNoCancel(const std::string&, const std::string&) override { return Answer::kYes; }
  void ShowMessage(const std::string& prompt, const std::string&) override { message_ = prompt; }
  void ClearReport() override { report_bytes_ = 0; }
  void ShowReport() override {}
  void AppendReport(const std::string& text) override { report_bytes_ += text.size(); }
  void HandlePendingEvents() override {}
  void SearchProgress(int) override {}
  void PlacingProgress(int, int) override {}

  std::size_t report_bytes() const { return report_bytes_; }
  const std::string& message() const { return message_; }

 private:
  std::string base_;
  OrganizeOptions options_;
  std::size_t report_bytes_ = 0;
  std::string message_;
};

}  // namespace quillfold::bench
