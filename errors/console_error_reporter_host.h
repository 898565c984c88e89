#pragma once

#include "errors/error_reporter.h"

namespace quillfold {

// The reporter's host where no window exists (the command-line front end,
// tests that install nothing): there is no clipboard and nobody to ask, so
// the message goes to standard error and the program goes on, as a Yes would.
class ConsoleErrorReporterHost final : public ErrorReporterHost {
 public:
  void ClearClipboard() override {}
  void SetClipboardText(const std::string&) override {}
  bool AskContinue(const std::string& text, const std::string& title) override;
  void EndProgramNow() override;
};

}  // namespace quillfold
