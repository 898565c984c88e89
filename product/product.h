#pragma once

#include <string>
#include <string_view>

namespace quillfold {

// The program's title, version and contact, shared by every front end.
inline constexpr std::string_view kProductTitle = "Quillfold";
inline constexpr int kVersionMajor = QUILLFOLD_VERSION_MAJOR;
inline constexpr int kVersionMinor = QUILLFOLD_VERSION_MINOR;
inline constexpr int kVersionRevision = QUILLFOLD_VERSION_REVISION;
inline constexpr std::string_view kAuthorName = "Brackwater Software";
inline constexpr std::string_view kSupportAddress = "support@quillfold.example";
inline constexpr std::string_view kCopyrightLine = "Copyright (C) 2026 Brackwater Software";

// "1.0.33": plain decimal numbers joined by full stops.
std::string VersionText();

}  // namespace quillfold
