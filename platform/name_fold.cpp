#include "platform/name_fold.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "text/ascii.h"

namespace quillfold {
namespace {

std::string_view WithoutTrailingDotsAndSpaces(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

// Each code point upper-cased first: case folding alone keeps apart what
// simple upper-casing, as NTFS compares, takes for one (the dotless "ı" and
// "i" both upper-case to "I").
std::optional<std::string> UpperCased(std::string_view name) {
  std::string upper;
  const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
  const auto* const end = at + name.size();
  while (at < end) {
    utf8proc_int32_t code_point = 0;
    const utf8proc_ssize_t length = utf8proc_iterate(at, end - at, &code_point);
    if (length <= 0) return std::nullopt;
    at += length;
    utf8proc_uint8_t encoded[4];
    const utf8proc_ssize_t written = utf8proc_encode_char(utf8proc_toupper(code_point), encoded);
    upper.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(written));
  }
  return upper;
}

}  // namespace

std::optional<std::string> FoldedName(std::string_view name) {
  if (name.find('~') != std::string_view::npos) return std::nullopt;
  // What the general way gives for ASCII, without its allocations.
  if (IsAscii(name)) return AsciiLower(WithoutTrailingDotsAndSpaces(name));
  const std::optional<std::string> upper = UpperCased(name);
  if (!upper) return std::nullopt;
  utf8proc_uint8_t* mapped = nullptr;
  const utf8proc_ssize_t length = utf8proc_map(
      reinterpret_cast<const utf8proc_uint8_t*>(upper->data()),
      static_cast<utf8proc_ssize_t>(upper->size()), &mapped,
      static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_CASEFOLD | UTF8PROC_IGNORE));
  if (length < 0) return std::nullopt;
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(mapped, &std::free);
  return std::string(WithoutTrailingDotsAndSpaces(
      std::string_view(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(length))));
}

}  // namespace quillfold
