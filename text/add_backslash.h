#pragma once

#include <string>
#include <string_view>

namespace quillfold {

// The platform's path separator.
inline constexpr char kPathSeparator = '/';

// `path` ending in `separator`: "/music" -> "/music/", "/music/" stays,
// "" -> "/". With the backslash, trailing spaces go first ("C:\\Music  " ->
// "C:\\Music\\"), as drive-letter paths ignore them; with "/" they stay.
// A doubled separator inside the path is left as it is.
std::string AddBackslash(std::string_view path, char separator = kPathSeparator);

}  // namespace quillfold
