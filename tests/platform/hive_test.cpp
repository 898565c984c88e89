#include "platform/hive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hive_format.h"

namespace quillfold {
namespace {

std::vector<std::string> KeyPaths(const Hive& hive) {
  std::vector<std::string> paths;
  for (const auto& key : hive.keys) paths.push_back(key.path);
  return paths;
}

TEST(HiveTest, KeyPathsNeedNonEmptyLevelsWithoutControlBytes) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {"A", true},
      {"A\\B c\\D", true},
      {"[x]\"@=", true},
      {"\xC3\xA9", true},
      {"\\A", false},
      {"A\\", false},
      {"A\\\\B", false},
      {"\\", false},
      {"A\tB", false},
      {"A\nB", false},
      {"A\x7F", false},
      {std::string("A\0B", 3), false},
  };
  for (const auto& [path, valid] : cases) {
    EXPECT_EQ(IsValidKeyPath(path), valid) << "path: \"" << path << "\"";
  }
}

TEST(HiveTest, EnsureKeyAddsEveryMissingLevelOnceAndMatchesAnyLetterCase) {
  Hive hive;
  EnsureKey(hive, "Software\\Maker\\Product");
  EnsureKey(hive, "SOFTWARE\\maker\\Other");
  HiveKey& same = EnsureKey(hive, "software\\MAKER\\PRODUCT");
  EXPECT_EQ(KeyPaths(hive),
            (std::vector<std::string>{"Software", "Software\\Maker", "Software\\Maker\\Product",
                                      "SOFTWARE\\maker\\Other"}));
  EXPECT_EQ(same.path, "Software\\Maker\\Product") << "a key keeps the case it was created with";
  EXPECT_EQ(FindKey(hive, "SOFTWARE\\MAKER"), &hive.keys[1]);
  EXPECT_EQ(FindKey(hive, "Software\\Make"), nullptr);
  EXPECT_EQ(FindKey(hive, ""), nullptr) << "the root is listed only once it holds something";
}

TEST(HiveTest, StoreValueReplacesInPlaceWhateverTheCaseAndAddsNewOnesAtTheEnd) {
  HiveKey key{"K", {}};
  StoreValue(key, {"StartPath", 1, "a"});
  StoreValue(key, {"chkDontDo", 1, "checked"});
  StoreValue(key, {"STARTPATH", 4, "1234"});
  ASSERT_EQ(key.values.size(), 2u);
  EXPECT_EQ(key.values[0], (HiveValue{"STARTPATH", 4, "1234"}));
  EXPECT_EQ(FindValue(key, "startpath"), &key.values[0]);
  EXPECT_EQ(FindValue(key, "chkdontdo"), &key.values[1]);
  EXPECT_EQ(FindValue(key, "chkDontD"), nullptr);
}

}  // namespace
}  // namespace quillfold
