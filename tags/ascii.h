#pragma once

#include <string>
#include <string_view>

namespace quillfold {

// Upper-casing for names and paths: only a-z become A-Z; every other byte,
// including every byte of a multi-byte UTF-8 character, stays as it is.
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpper(std::string_view text);

// True when `a` and `b` are equal after AsciiUpper, without copying either.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// `text` without its leading and trailing spaces (only the blank, 0x20).
std::string_view TrimSpaces(std::string_view text);

}  // namespace quillfold
