#pragma once

#include <array>
#include <string_view>

#include "platform/registry.h"

namespace quillfold {

// The one key that holds the program's settings. On Linux the machine root
// lives in the user's own configuration folder (see DefaultHiveFolder).
inline constexpr HKEY kSettingsRoot = HKEY_LOCAL_MACHINE;
inline constexpr std::string_view kSettingsKeyPath = "SOFTWARE\\Brackwater\\Quillfold";

// The values under it, all REG_SZ: each option check box stores "checked" or
// "unchecked" under its own name, and StartPath the last chosen base path.
inline constexpr std::array<std::string_view, 6> kOptionValueNames = {
    "chkDontDo", "chkTrackName", "chkIgnoreNoTrack", "chkNoAlbum", "chkDelDirs", "chkUpdateM3U"};
inline constexpr std::string_view kStartPathValueName = "StartPath";
// The ID3v2 check box's value, beside the six: a store without it reads as
// "unchecked", so every older store keeps its runs as they were.
inline constexpr std::string_view kId3v2ValueName = "chkID3v2";

}  // namespace quillfold
