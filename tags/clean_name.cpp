#include "tags/clean_name.h"

#include <exception>

#include "errors/error_reporter.h"
#include "errors/run_error.h"
#include "text/ascii.h"

namespace quillfold {

std::string CleanName(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    if (AllowedNameChars.find(AsciiUpper(c)) != std::string_view::npos) kept += c;
  }
  std::string_view result = TrimSpaces(kept);
  while (result.ends_with('.')) result.remove_suffix(1);
  while (result.starts_with('.')) result.remove_prefix(1);
  return result.empty() ? std::string("_") : std::string(result);
}

std::string nformat(std::int16_t number) {
  std::string text;
  try {
    text = std::to_string(number);
    if (text.size() == 1) text = "0" + text;
  } catch (const std::exception& error) {
    // Nothing here fails short of running out of memory; the user is told
    // and the number stays as far as it was built.
    PendingError pending{static_cast<std::int32_t>(ErrorNumber::kOutOfMemory), error.what()};
    ReportError("nformat", pending);
  }
  return text;
}

}  // namespace quillfold
