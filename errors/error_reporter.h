#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillfold {

// An error that a routine's trap has caught and not yet cleared. Number 0
// means that no error is pending.
struct PendingError {
  std::int32_t number = 0;
  std::string description;
};

// What the reporter needs from the front end. The desktop program implements
// it with the system clipboard and a message box; tests use a fake.
class ErrorReporterHost {
 public:
  virtual ~ErrorReporterHost() = default;
  virtual void ClearClipboard() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // A modal box with Yes and No (Yes the default) and the critical-error
  // icon. Returns true for Yes.
  virtual bool AskContinue(const std::string& text, const std::string& title) = 0;
  // Ends the process at once: no destructors run and no settings are saved.
  virtual void EndProgramNow() = 0;
};

// The host used by ReportError's one-argument form: the console host until a
// front end installs its own. The host must outlive its installation.
void InstallErrorReporterHost(ErrorReporterHost* host);
ErrorReporterHost& InstalledErrorReporterHost();

// The seven-line message, lines joined by CR LF, no line end after the last.
std::string BuildErrorMessage(std::string_view routine, std::int32_t number,
                              std::string_view description);

// Shows `pending` as caught in `routine`: the message goes to the clipboard
// and into a Yes/No box; the pending error is then cleared. Yes returns to
// the caller, No ends the program at once. Returns the pending number as it
// was on entry; with none pending (0) nothing is shown or copied.
std::int32_t ReportError(std::string_view routine, PendingError& pending, ErrorReporterHost& host);
std::int32_t ReportError(std::string_view routine, PendingError& pending);

}  // namespace quillfold
