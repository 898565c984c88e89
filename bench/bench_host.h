#pragma once

#include <string>

#include "organize/organize_host.h"

namespace quillfold::bench {

// A front end that answers Yes, keeps the report in memory the cheap way
// (appending) and does nothing else, so a timed run measures the engine.
class BenchHost final : public OrganizeHost {
 public:
  BenchHost(std::string base, OrganizeOptions options)
      : base_(std::move(base)), options_(options) {}

  std::string ChosenPath() override { return base_; }
  OrganizeOptions CurrentOptions() override { return options_; }
  Answer AskYesNoCancel(const std::string&, const std::string&) override { return Answer::kYes; }
  void ShowMessage(const std::string& prompt, const std::string&) override { message_ = prompt; }
  void ClearReport() override { report_.clear(); }
  void ShowReport() override {}
  void AppendReport(const std::string& text) override { report_ += text; }
  void HandlePendingEvents() override {}
  void SearchProgress(int) override {}
  void PlacingProgress(int, int) override {}

  const std::string& report() const { return report_; }
  const std::string& message() const { return message_; }

 private:
  std::string base_;
  OrganizeOptions options_;
  std::string report_;
  std::string message_;
};

}  // namespace quillfold::bench
