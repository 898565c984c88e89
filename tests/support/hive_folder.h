#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_registry.h"
#include "settings/settings_key.h"
#include "tests/support/temp_folder.h"

namespace quillfold::testing {

// A FileRegistry on its own hive folder inside a fresh temporary folder. The
// hive folder itself does not exist until something is saved.
class HiveFolder {
 public:
  HiveFolder() : folder_(temp_ / "hives"), registry_(folder_) {}

  const std::string& folder() const { return folder_; }
  // The file of the HKEY_LOCAL_MACHINE root.
  std::string MachineFile() const { return folder_ + "/HKEY_LOCAL_MACHINE.reg"; }
  // The names in the hive folder, sorted; none when it does not exist.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, missing)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  FileRegistry& registry() { return registry_; }
  // Creates `path` (the settings key by default) under HKEY_LOCAL_MACHINE
  // and opens it; fails the test when that fails.
  HKEY Create(std::string_view path = kSettingsKeyPath) {
    HKEY key = 0;
    EXPECT_EQ(registry_.CreateKey(HKEY_LOCAL_MACHINE, path, key), 0) << path;
    return key;
  }

 private:
  TempFolder temp_;
  std::string folder_;
  FileRegistry registry_;
};

// Stores `data` as `name` of type `type` under `key`; returns the result.
inline std::int32_t SetData(Registry& registry, HKEY key, std::string_view name,
                            std::string_view data, std::int32_t type = 1) {
  return registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                           static_cast<std::uint32_t>(data.size()));
}

// The bytes stored as `name` under `key`, read in two calls; fails the test
// when either call fails.
inline std::string QueryData(Registry& registry, HKEY key, std::string_view name) {
  std::int32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, name, type, nullptr, size), 0) << "value " << name;
  std::string data(size, '\0');
  EXPECT_EQ(
      registry.QueryValue(key, name, type, reinterpret_cast<std::uint8_t*>(data.data()), size), 0)
      << "value " << name;
  data.resize(size);
  return data;
}

}  // namespace quillfold::testing
