#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillfold {

// The characters a cleaned name may keep (compared after ASCII upper-casing).
inline constexpr std::string_view AllowedNameChars =
    " !#$%&'()-@ABCDEFGHIJKLMNOPQRSTUVWXYZ^_{}~.,0123456789";

// Turns a tag text into a name safe for a file or folder: keeps each byte
// whose ASCII upper-case form is in AllowedNameChars (in its own case) and
// drops the rest, trims spaces once, then removes trailing and then leading
// full stops. Never empty: a name with nothing left becomes "_".
std::string CleanName(std::string_view text);

// The decimal text of `number`, with a "0" in front when that text is a
// single character: 0 -> "00", 7 -> "07", 123 -> "123", -3 -> "-3".
std::string nformat(std::int16_t number);

}  // namespace quillfold
