#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_registry.h"
#include "tests/support/temp_folder.h"

namespace quillfold::testing {

// A FileRegistry on its own hive folder inside a fresh temporary folder. The
// hive folder itself does not exist until something is saved.
class HiveFolder {
 public:
  HiveFolder();

  const std::string& folder() const { return folder_; }
  // The file of the HKEY_LOCAL_MACHINE root.
  std::string MachineFile() const { return folder_ + "/HKEY_LOCAL_MACHINE.reg"; }
  // The names in the hive folder, sorted; none when it does not exist.
  std::vector<std::string> Names() const;
  FileRegistry& registry() { return registry_; }

 private:
  TempFolder temp_;
  std::string folder_;
  FileRegistry registry_;
};

// Stores `data` as `name` of type `type` under `key`; returns the result.
std::int32_t SetData(Registry& registry, HKEY key, std::string_view name, std::string_view data,
                     std::int32_t type = 1);

// The bytes stored as `name` under `key`, read in two calls; fails the test
// when either call fails.
std::string QueryData(Registry& registry, HKEY key, std::string_view name);

}  // namespace quillfold::testing
