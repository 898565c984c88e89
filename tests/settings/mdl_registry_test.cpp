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

std::vector<std::string_view> SevenNames() {
  std::vector<std::string_view> names;
  for (const OrganizeOption& option : kOrganizeOptions) names.push_back(option.name);
  names.push_back(kStartPathValueName);
  return names;
}

class MdlRegistryTest : public ::testing::Test {
 protected:
  Registry& registry() { return hives_.registry(); }
  void Write(std::string_view name, const RegValue& value, std::int32_t type = REG_SZ) {
    WriteSetting(registry(), kSettingsRoot, kSettingsKeyPath, name, value, type);
  }
  RegValue Read(std::string_view name) {
    return ReadSetting(registry(), kSettingsRoot, kSettingsKeyPath, name);
  }
  HKEY OpenSettings() {
    HKEY key = 0;
    EXPECT_EQ(registry().OpenKey(kSettingsRoot, kSettingsKeyPath, key), 0);
    return key;
  }

  HiveFolder hives_;
};

// Each text comes back byte for byte, also to a registry started afresh on
// the same folder, and is stored without a terminating NUL.
TEST_F(MdlRegistryTest, TextsReadBackExactlyAsWritten) {
  EnsureRegKey(registry(), kSettingsRoot, kSettingsKeyPath);
  const std::string texts[] = {
      "D:\\Music\\",
      "",
      "/home/ann/" + std::string(5000, 'x') + "/",
      std::string("/music/\0", 8),
      std::string("a\0\0b", 4),
      "\"quoted\" \\ [section] \r\n@=",
  };
  for (const auto& text : texts) {
    Write("StartPath", text);
    FileRegistry restarted(hives_.folder());
    EXPECT_EQ(ReadSetting(restarted, kSettingsRoot, kSettingsKeyPath, "StartPath"), RegValue(text))
        << "text of " << text.size() << " bytes";
  }
  Write("StartPath", "D:\\Music\\");
  EXPECT_EQ(QueryData(registry(), OpenSettings(), "StartPath").size(), 9u);
}

TEST_F(MdlRegistryTest, WithoutTheKeyAllSevenNamesReadEmptyAndWritesStoreNothing) {
  for (const auto name : SevenNames()) EXPECT_EQ(Read(name), RegValue()) << name;
  for (const auto name : SevenNames()) Write(name, std::string("checked"));
  for (const auto name : SevenNames()) EXPECT_EQ(Read(name), RegValue()) << name;
  EXPECT_TRUE(hives_.Names().empty()) << "a failed open writes nothing";

  EnsureRegKey(registry(), kSettingsRoot, kSettingsKeyPath);
  for (const auto name : SevenNames()) {
    EXPECT_EQ(Read(name), RegValue()) << name << " under an empty key";
  }
}

TEST_F(MdlRegistryTest, ValuesConvertToTheTypeTheyAreWrittenAs) {
  EnsureRegKey(registry(), kSettingsRoot, kSettingsKeyPath);
  const struct {
    RegValue written;
    std::int32_t type;
    RegValue read;
  } cases[] = {
      {RegValue(42), REG_DWORD, RegValue(42)},
      {RegValue(-1), REG_DWORD, RegValue(-1)},
      {RegValue(std::string("17")), REG_DWORD, RegValue(17)},
      {RegValue(), REG_DWORD, RegValue(0)},
      {RegValue(42), REG_SZ, RegValue(std::string("42"))},
      {RegValue(), REG_SZ, RegValue(std::string())},
  };
  for (const auto& c : cases) {
    Write("Value", c.written, c.type);
    EXPECT_EQ(Read("Value"), c.read)
        << ::testing::PrintToString(c.written) << " as type " << c.type;
  }
}

// A type other than text and number stores nothing and reports 0; a text
// that is no number is refused as a number.
TEST_F(MdlRegistryTest, WritesThatCannotBeMadeStoreNothing) {
  EnsureRegKey(registry(), kSettingsRoot, kSettingsKeyPath);
  const HKEY key = OpenSettings();
  for (const std::int32_t type : {0, 2, 3, 7, -1}) {
    EXPECT_EQ(WriteKeyValue(registry(), key, "Value", type, RegValue(std::string("x"))), 0) << type;
    EXPECT_EQ(Read("Value"), RegValue()) << "type " << type;
  }
  EXPECT_EQ(WriteKeyValue(registry(), key, "Value", REG_DWORD, RegValue(std::string("checked"))),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Read("Value"), RegValue());
}

TEST_F(MdlRegistryTest, ReadKeyValueLeavesTheValueAloneForMissingValuesAndOtherTypes) {
  EnsureRegKey(registry(), kSettingsRoot, kSettingsKeyPath);
  const HKEY key = OpenSettings();
  ASSERT_EQ(SetData(registry(), key, "Binary", "\x01\x02", 3), 0);
  ASSERT_EQ(SetData(registry(), key, "Expand", "%HOME%", 2), 0);
  const std::pair<std::string, std::int32_t> cases[] = {
      {"Binary", -1}, {"Expand", -1}, {"Missing", ERROR_FILE_NOT_FOUND}};
  for (const auto& [name, expected] : cases) {
    RegValue value = std::string("untouched");
    EXPECT_EQ(ReadKeyValue(registry(), key, name, value), expected) << name;
    EXPECT_EQ(value, RegValue(std::string("untouched"))) << name;
    EXPECT_EQ(Read(name), RegValue()) << name;
  }
  RegValue value = 5;
  EXPECT_EQ(ReadKeyValue(registry(), 0, "Binary", value), ERROR_INVALID_HANDLE);
  EXPECT_EQ(value, RegValue(5));
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
        [text](Registry& registry, HKEY key) { ASSERT_EQ(SetData(registry, key, "v", text), 0); };
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
