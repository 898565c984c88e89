#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillfold {

// The platform's path separator.
inline constexpr char kPathSeparator = '/';

// `path` ending in `separator`: "/music" -> "/music/", "/music/" stays,
// "" -> "/". With the backslash, trailing spaces go first ("C:\\Music  " ->
// "C:\\Music\\"), as drive-letter paths ignore them; with "/" they stay.
// A doubled separator inside the path is left as it is.
std::string AddBackslash(std::string_view path, char separator = kPathSeparator);

// Creates every missing folder of the chain `folder` (a separator is added
// first, so the last component is created too). True when the chain exists
// afterwards; never throws.
bool EnsureFolder(FileSystem& file_system, std::string_view folder);

// True when anything exists at `path`, hidden entries and dangling links
// included; any failure of the test gives false.
bool PathExists(FileSystem& file_system, const std::string& path);

}  // namespace quillfold
