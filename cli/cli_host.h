#pragma once

#include <string>
#include <string_view>

#include "cli/cli_arguments.h"
#include "cli/console.h"
#include "organize/organize_host.h"

namespace quillfold {

// The run's front end on a terminal. The report goes to standard output as
// it grows, with "\n" line ends; everything else goes to standard error.
class CliHost final : public OrganizeHost {
 public:
  // `base` is absolute and ends in "/".
  CliHost(Console& console, const CliArguments& arguments, std::string base);

  std::string ChosenPath() override { return base_; }
  OrganizeOptions CurrentOptions() override { return arguments_.options; }
  Answer AskYesNoCancel(const std::string& prompt, const std::string& caption) override;
  void ShowMessage(const std::string& prompt, const std::string& caption) override;
  void ClearReport() override {}
  void ShowReport() override {}
  void AppendReport(const std::string& text) override;
  void HandlePendingEvents() override {}
  void SearchProgress(int found) override;
  void PlacingProgress(int index, int count) override;
  void TagUnreadable(const std::string& path, const std::string& reason) override;
  void FilesWithOnlyId3v2(int count) override;
  void PlaylistLinkSkipped(const std::string& link, const std::string& reason) override;
  void MountedFolderSkipped(const std::string& folder) override;
  void PlaylistSkipped(const std::string& path, const std::string& reason) override;
  bool StopRequested() override { return console_.StopSignal() != 0; }

  // Ends the report's last line; call once when the run is over.
  void FinishReport();
  // True when the confirmation was not answered with Yes.
  bool declined() const { return declined_; }

 private:
  void ShowProgress(const std::string& text);
  void ClearProgress();
  // "quillfold-cli: the WHAT "PATH" is not updated: REASON" on standard error.
  void NotUpdated(std::string_view what, const std::string& path, const std::string& reason);

  Console& console_;
  const CliArguments& arguments_;
  std::string base_;
  bool declined_ = false;
  bool report_started_ = false;
  bool progress_shown_ = false;
};

}  // namespace quillfold
