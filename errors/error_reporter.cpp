#include "errors/error_reporter.h"

#include "errors/console_error_reporter_host.h"
#include "product/product.h"

namespace quillfold {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTitle = "Program Error";

ErrorReporterHost* installed_host = nullptr;

}  // namespace

void InstallErrorReporterHost(ErrorReporterHost* host) { installed_host = host; }

ErrorReporterHost& InstalledErrorReporterHost() {
  static ConsoleErrorReporterHost console_host;
  return installed_host != nullptr ? *installed_host : console_host;
}

std::string BuildErrorMessage(std::string_view routine, std::int32_t number,
                              std::string_view description) {
  std::string text;
  text.append("An error has occurred in ").append(routine).append(":").append(kLineEnd);
  text.append(kLineEnd);
  text.append(std::to_string(number)).append(": ").append(description).append(kLineEnd);
  text.append(kLineEnd);
  text.append("Continue Program? (Choosing No will end the program.)").append(kLineEnd);
  text.append("(Also, this error has been copied to the clipboard.").append(kLineEnd);
  text.append("Please paste into an email to ").append(kSupportAddress).append(")");
  return text;
}

std::int32_t ReportError(std::string_view routine, PendingError& pending, ErrorReporterHost& host) {
  const std::int32_t number = pending.number;
  if (number == 0) return 0;
  const std::string text = BuildErrorMessage(routine, number, pending.description);
  host.ClearClipboard();
  host.SetClipboardText(text);
  const bool go_on = host.AskContinue(text, std::string(kTitle));
  pending = PendingError{};
  if (!go_on) host.EndProgramNow();
  return number;
}

std::int32_t ReportError(std::string_view routine, PendingError& pending) {
  return ReportError(routine, pending, InstalledErrorReporterHost());
}

}  // namespace quillfold
