#pragma once

#include "errors/error_reporter.h"

namespace quillfold {

// The error reporter's host in the desktop program: the system clipboard and
// a critical-icon Yes/No box. The box shows the message's CR LF breaks as
// line breaks; the clipboard gets the text exactly as built.
class QtErrorReporterHost final : public ErrorReporterHost {
 public:
  void ClearClipboard() override;
  void SetClipboardText(const std::string& text) override;
  bool AskContinue(const std::string& text, const std::string& title) override;
  // std::_Exit: no destructor, no window's closing step, no settings saved.
  void EndProgramNow() override;
};

}  // namespace quillfold
