#include "tests/support/hive_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace quillfold::testing {

HiveFolder::HiveFolder() : folder_(temp_ / "hives"), registry_(folder_) {}

std::vector<std::string> HiveFolder::Names() const {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, missing)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::int32_t SetData(Registry& registry, HKEY key, std::string_view name, std::string_view data,
                     std::int32_t type) {
  return registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                           static_cast<std::uint32_t>(data.size()));
}

std::string QueryData(Registry& registry, HKEY key, std::string_view name) {
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
