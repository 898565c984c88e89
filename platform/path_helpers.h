#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillfold {

// Creates every missing folder of the chain `folder` (a separator is added
// first, so the last component is created too). True when the chain exists
// afterwards; never throws.
bool EnsureFolder(FileSystem& file_system, std::string_view folder);

// True when anything exists at `path`, hidden entries and dangling links
// included; any failure of the test gives false.
bool PathExists(FileSystem& file_system, const std::string& path);

}  // namespace quillfold
