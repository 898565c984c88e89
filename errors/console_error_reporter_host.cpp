#include "errors/console_error_reporter_host.h"

#include <cstdio>
#include <cstdlib>

namespace quillfold {

bool ConsoleErrorReporterHost::AskContinue(const std::string& text, const std::string& title) {
  std::fprintf(stderr, "%s\n%s\n", title.c_str(), text.c_str());
  return true;
}

void ConsoleErrorReporterHost::EndProgramNow() { std::_Exit(EXIT_FAILURE); }

}  // namespace quillfold
