#pragma once

#include <string_view>

#include "settings/registry.h"

namespace quillfold {

// The one key that holds the program's settings. On Linux the machine root
// lives in the user's own configuration folder (see DefaultHiveFolder).
inline constexpr HKEY kSettingsRoot = HKEY_LOCAL_MACHINE;
inline constexpr std::string_view kSettingsKeyPath = "SOFTWARE\\Brackwater\\Quillfold";

// The values under it, all REG_SZ: each option check box stores "checked" or
// "unchecked" under its own name (see kOrganizeOptions), and StartPath the
// last chosen base path.
inline constexpr std::string_view kStartPathValueName = "StartPath";

}  // namespace quillfold
