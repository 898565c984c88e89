#include "settings/mdl_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/settings_key.h"
#include "tests/support/hive_folder.h"

namespace quillfold {
namespace {

using ::testing::_;
using testing::HiveFolder;
using testing::QueryData;
using testing::SetData;

std::vector<std::string_view> SevenNames() {
  std::vector<std::string_view> names(kOptionValueNames.begin(), kOptionValueNames.end());
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

class MockRegistry : public Registry {
 public:
  MOCK_METHOD(std::int32_t, CreateKey, (HKEY, std::string_view, HKEY&), (override));
  MOCK_METHOD(std::int32_t, OpenKey, (HKEY, std::string_view, HKEY&), (override));
  MOCK_METHOD(std::int32_t, QueryValue,
              (HKEY, std::string_view, std::int32_t&, std::uint8_t*, std::uint32_t&), (override));
  MOCK_METHOD(std::int32_t, SetValue,
              (HKEY, std::string_view, std::int32_t, const std::uint8_t*, std::uint32_t),
              (override));
  MOCK_METHOD(std::int32_t, CloseKey, (HKEY), (override));
};

// A query that reports `type` and `size` and, given a buffer, copies `data`.
auto Answer(std::int32_t result, std::int32_t type, std::string data, std::uint32_t size) {
  return [=](HKEY, std::string_view, std::int32_t& type_out, std::uint8_t* buffer,
             std::uint32_t& size_out) {
    type_out = type;
    if (buffer != nullptr && result == 0) std::memcpy(buffer, data.data(), data.size());
    size_out = size;
    return result;
  };
}

TEST(ReadKeyValueTest, TheSecondQueryDecidesWhatIsRead) {
  struct Case {
    std::string name;
    std::int32_t first_type;
    std::int32_t second_result;
    std::string second_data;
    std::uint32_t second_size;
    std::int32_t expected_result;
    RegValue expected_value;
  };
  const Case cases[] = {
      {"text shorter on the second call", REG_SZ, 0, "abc", 3, 0, RegValue(std::string("abc"))},
      {"text grown between the calls", REG_SZ, ERROR_MORE_DATA, "", 9, ERROR_MORE_DATA, RegValue()},
      {"dword", REG_DWORD, 0, "\xFE\xFF\xFF\xFF", 4, 0, RegValue(-2)},
      {"dword failing", REG_DWORD, ERROR_MORE_DATA, "", 8, ERROR_MORE_DATA,
       RegValue(std::string("old"))},
  };
  for (const auto& c : cases) {
    MockRegistry registry;
    EXPECT_CALL(registry, QueryValue(7, "v", _, _, _))
        .WillOnce(Answer(0, c.first_type, "", 5))
        .WillOnce(Answer(c.second_result, c.first_type, c.second_data, c.second_size));
    RegValue value = std::string("old");
    EXPECT_EQ(ReadKeyValue(registry, 7, "v", value), c.expected_result) << c.name;
    EXPECT_EQ(value, c.expected_value) << c.name;
  }
}

TEST(ReadKeyValueTest, AFailureInsideIsTrappedAsANonZeroCode) {
  MockRegistry registry;
  EXPECT_CALL(registry, QueryValue(_, _, _, _, _))
      .WillOnce(Answer(0, REG_SZ, "", 5))
      .WillOnce([](auto&&...) -> std::int32_t { throw std::runtime_error("store failed"); });
  RegValue value = 3;
  EXPECT_NE(ReadKeyValue(registry, 7, "v", value), 0);
  EXPECT_EQ(value, RegValue(3));
}

}  // namespace
}  // namespace quillfold
