#pragma once

#include <string>
#include <string_view>

namespace quillfold {

// Upper-casing for names and paths: only a-z become A-Z; every other byte,
// including every byte of a multi-byte UTF-8 character, stays as it is.
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The same the other way: only A-Z become a-z.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// True when `a` and `b` are equal after AsciiUpper, without copying either.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when every byte of `text` is below 0x80: such text is valid UTF-8
// and already in every Unicode normal form.
bool IsAscii(std::string_view text);

// `text` without its leading and trailing spaces (only the blank, 0x20).
std::string_view TrimSpaces(std::string_view text);

// `text` with every control byte but the tab (0x00-0x1F and 0x7F) written
// as \xHH, so a name holding a line break or a terminal escape shows on one
// line and as itself: "a\nb" -> "a\x0Ab". Every other byte stays.
std::string ControlBytesEscaped(std::string_view text);

}  // namespace quillfold
