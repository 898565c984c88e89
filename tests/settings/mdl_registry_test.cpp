#include "settings/mdl_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "organize/organize_options.h"
#include "settings/settings_key.h"
#include "tests/support/hive_folder.h"

namespace quillfold {
namespace {

using testing::HiveFolder;
using testing::QueryData;
using testing::SetData;

class MdlRegistryTest : public ::testing::Test {
 protected:
  Registry& registry() { return hives_.registry(); }
  void Write(std::string_view name, const RegValue& value, std::int32_t type = REG_SZ) {
    WriteSetting(registry(), kSettingsRoot, kSettingsKeyPath, name, value, type);
  }
  RegValue Read(std::string_view name) {
    return ReadSetting(registry(), kSettingsRoot, kSettingsKeyPath, name);
  }

  HiveFolder hives_;
};

// Each text comes back byte for byte, also to a registry started afresh on
// the same folder, and is stored without a terminating NUL.
TEST_F(MdlRegistryTest, TextsReadBackExactlyAsWritten) {
  const HKEY key = hives_.Create();
  const std::string texts[] = {"", "/home/ann/" + std::string(5000, 'x') + "/",
                               std::string("/music/\0b\0", 10),
                               "\"quoted\" \\ [section] \r\n@=", "D:\\Music\\"};
  for (const auto& text : texts) {
    Write("StartPath", text);
    FileRegistry restarted(hives_.folder());
    EXPECT_EQ(ReadSetting(restarted, kSettingsRoot, kSettingsKeyPath, "StartPath"), RegValue(text))
        << "text of " << text.size() << " bytes";
  }
  EXPECT_EQ(QueryData(registry(), key, "StartPath").size(), 9u);
}

TEST_F(MdlRegistryTest, WithoutTheKeyEverySettingReadsEmptyAndWritesStoreNothing) {
  std::vector<std::string_view> names = {kStartPathValueName};
  for (const OrganizeOption& option : kOrganizeOptions) names.push_back(option.name);
  for (const auto name : names) Write(name, std::string("checked"));
  for (const auto name : names) EXPECT_EQ(Read(name), RegValue()) << name;
  EXPECT_TRUE(hives_.Names().empty()) << "a failed open writes nothing";
  hives_.Create();
  for (const auto name : names) EXPECT_EQ(Read(name), RegValue()) << name << " under an empty key";
}

// A text that is no number is refused as a number; a type other than text
// and number stores nothing and reports 0.
TEST_F(MdlRegistryTest, ValuesConvertToTheTypeTheyAreWrittenAsOrStoreNothing) {
  const HKEY key = hives_.Create();
  using S = std::string;
  const struct {
    RegValue written;
    std::int32_t type;
    std::int32_t result;
    RegValue read;
  } cases[] = {
      {-1, REG_DWORD, 0, -1},
      {S("16909060"), REG_DWORD, 0, 0x01020304},
      {RegValue(), REG_DWORD, 0, 0},
      {42, REG_SZ, 0, S("42")},
      {S("checked"), REG_DWORD, ERROR_INVALID_PARAMETER, RegValue()},
      {S("x"), 3, 0, RegValue()},
      {S("x"), -1, 0, RegValue()},
  };
  int row = 0;
  for (const auto& c : cases) {
    const std::string name = "Value" + std::to_string(++row);
    EXPECT_EQ(WriteKeyValue(registry(), key, name, c.type, c.written), c.result) << "row " << row;
    EXPECT_EQ(Read(name), c.read) << "row " << row;
  }
}

TEST_F(MdlRegistryTest, ReadKeyValueLeavesTheValueAloneForMissingValuesAndOtherTypes) {
  const HKEY key = hives_.Create();
  ASSERT_EQ(SetData(registry(), key, "Binary", "\x01\x02", 3), 0);
  ASSERT_EQ(SetData(registry(), key, "Expand", "%HOME%", 2), 0);
  const std::tuple<HKEY, std::string, std::int32_t> cases[] = {
      {key, "Binary", -1},
      {key, "Expand", -1},
      {key, "Missing", ERROR_FILE_NOT_FOUND},
      {0, "Binary", ERROR_INVALID_HANDLE}};
  for (const auto& [read_key, name, expected] : cases) {
    RegValue value = std::string("untouched");
    EXPECT_EQ(ReadKeyValue(registry(), read_key, name, value), expected) << name;
    EXPECT_EQ(value, RegValue(std::string("untouched"))) << name;
    EXPECT_EQ(Read(name), RegValue()) << name;
  }
}

// The settings' own registry, but another process saves between a size
// query and the read that follows it: `between` runs there, on the key read.
class SavedBetweenRegistry final : public Registry {
 public:
  explicit SavedBetweenRegistry(std::function<void(Registry&, HKEY)> between)
      : between_(std::move(between)) {}
  std::int32_t CreateKey(HKEY root, std::string_view path, HKEY& key) override {
    return inner().CreateKey(root, path, key);
  }
  std::int32_t OpenKey(HKEY root, std::string_view path, HKEY& key) override {
    return inner().OpenKey(root, path, key);
  }
  std::int32_t QueryValue(HKEY key, std::string_view name, std::int32_t& type, std::uint8_t* data,
                          std::uint32_t& size) override {
    const std::int32_t result = inner().QueryValue(key, name, type, data, size);
    if (data == nullptr) between_(inner(), key);
    return result;
  }
  std::int32_t SetValue(HKEY key, std::string_view name, std::int32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    return inner().SetValue(key, name, type, data, size);
  }
  std::int32_t CloseKey(HKEY key) override { return inner().CloseKey(key); }

 private:
  Registry& inner() { return hives_.registry(); }
  HiveFolder hives_;
  std::function<void(Registry&, HKEY)> between_;
};

TEST(ReadKeyValueTest, TheReadAfterTheSizeQueryDecidesWhatIsRead) {
  const auto saving = [](std::string text) {
    return
        [text](Registry& registry, HKEY key) { EXPECT_EQ(SetData(registry, key, "v", text), 0); };
  };
  const struct {
    std::string name;
    std::function<void(Registry&, HKEY)> between;
    std::int32_t expected_result;
    RegValue expected_value;
  } cases[] = {
      {"text shorter on the second call", saving("abc"), 0, RegValue(std::string("abc"))},
      {"text grown between the calls", saving("much longer"), ERROR_MORE_DATA, RegValue()},
      {"a failure inside is trapped",
       [](Registry&, HKEY) { throw std::runtime_error("store failed"); }, ERROR_CANTREAD,
       RegValue(std::string("old"))},
  };
  for (const auto& c : cases) {
    SavedBetweenRegistry registry(c.between);
    HKEY key = 0;
    ASSERT_EQ(registry.CreateKey(kSettingsRoot, kSettingsKeyPath, key), 0);
    ASSERT_EQ(SetData(registry, key, "v", "hello"), 0);
    RegValue value = std::string("old");
    EXPECT_EQ(ReadKeyValue(registry, key, "v", value), c.expected_result) << c.name;
    EXPECT_EQ(value, c.expected_value) << c.name;
  }
}

}  // namespace
}  // namespace quillfold
