#include <algorithm>
#include <string_view>

#include "tags/clean_name.h"
#include "tests/fuzz/fuzz_targets.h"
#include "text/ascii.h"

namespace quillfold::fuzz {

void FuzzCleanName(FuzzInput input) {
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  const std::string cleaned = CleanName(text);
  FuzzCheck(!cleaned.empty(), "a cleaned name is never empty");
  FuzzCheck(cleaned.size() <= std::max<std::size_t>(text.size(), 1), "cleaning never adds");
  for (const char c : cleaned) {
    FuzzCheck(AllowedNameChars.find(AsciiUpper(c)) != std::string_view::npos,
              "only allowed characters are kept");
  }
  FuzzCheck(!cleaned.starts_with('.') && !cleaned.ends_with('.'), "no full stop at either end");
  // Only dropping and trimming shorten a name, and only an empty result
  // becomes "_": a name of unchanged length is the input itself.
  const bool same_length = cleaned.size() == text.size();
  FuzzCheck(!same_length || cleaned == text || (text.size() == 1 && cleaned == "_"),
            "a name kept whole is kept unchanged");
}

}  // namespace quillfold::fuzz
