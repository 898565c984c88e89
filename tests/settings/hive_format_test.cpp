#include "settings/hive_format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/registry.h"

namespace quillfold {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kSettings = "SOFTWARE\\Brackwater\\Quillfold";

// Each value under the key path paired with it.
Hive MakeHive(const std::vector<std::pair<std::string, HiveValue>>& values) {
  Hive hive;
  for (const auto& [key, value] : values) StoreValue(EnsureKey(hive, key), value);
  return hive;
}

// Writing and parsing back any hive, every byte and type included, is also
// replayed by the parser's fuzz corpus.
TEST(HiveFormatTest, WritesTheRegistryExportStyleAndEscapesEveryControlByte) {
  const Hive hive = MakeHive({
      {std::string(kSettings), {"StartPath", REG_SZ, std::string("C:\\\"a\"\0\t\n\r\x7F\xE9", 12)}},
      {std::string(kSettings), {"Count", REG_DWORD, std::string("\x2A\0\0\0", 4)}},
      {std::string(kSettings), {"", 3, std::string("\x01\xFF\0", 3)}},
      {std::string(kSettings), {"Empty", 0x20, ""}},
  });
  const std::string text = WriteHive(kRoot, hive);
  EXPECT_EQ(ParseHive(kRoot, text).hive, hive) << text;
  EXPECT_EQ(text,
            "REGEDIT4\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n"
            "\"StartPath\"=\"C:\\\\\\\"a\\\"\\x00\\x09\\x0a\\x0d\\x7f\xE9\"\n"
            "\"Count\"=dword:0000002a\n"
            "@=hex(3):01,ff,00\n"
            "\"Empty\"=hex(20):\n");
}

// One row per value type, each also showing one rule of the file's layout.
TEST(HiveFormatTest, AcceptsTheFormsPeopleWriteByHand) {
  const std::string head = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n";
  const std::pair<std::string, Hive> cases[] = {
      {"", Hive{}},
      {"REGEDIT4\r\n\r\n; by hand\r\n[hkey_local_machine\\A]\r\n\"t\"=\"\\x4A\tb\"\r\n",
       MakeHive({{"A", {"t", REG_SZ, "J\tb"}}})},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"d\"=dword:2A",
       MakeHive({{"A\\B", {"d", REG_DWORD, std::string("\x2A\0\0\0", 4)}}})},
      {head + "\"b\"=hex:01\n[HKEY_LOCAL_MACHINE\\a]\n\"B\"=hex:0A,Ff\n",
       MakeHive({{"A", {"B", 3, "\x0A\xFF"}}})},
      {head + "\"\"=hex(1):41,00\n", MakeHive({{"A", {"", REG_SZ, std::string("A\0", 2)}}})},
  };
  for (const auto& [text, expected] : cases) {
    const ParsedHive parsed = ParseHive(kRoot, text);
    ASSERT_TRUE(parsed.ok()) << text << ": " << parsed.error;
    EXPECT_EQ(parsed.hive, expected) << text;
  }
}

// One rejected line per rule; more malformed lines are replayed by the
// parser's fuzz corpus.
TEST(HiveFormatTest, RejectsWhatItCannotReadWithTheLineNumber) {
  const std::string head = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n";
  const std::pair<std::string, std::string> cases[] = {
      {"Windows Registry Editor Version 5.00\n", "line 1:"},
      {"REGEDIT4\n\"v\"=\"1\"\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE_A]\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", "line 2:"},
      {head + "\n\n\"ok\"=\"1\"\n\"bad\n", "line 6:"},
      {head + "\"v\"=\"1\"x\n", "line 3:"},
      {head + "\"v\"=\"\\q\"\n", "line 3:"},
      {head + "\"v\" = \"1\"\n", "line 3:"},
      {head + "v=\"1\"\n", "line 3:"},
      {head + "\"v\"=text\n", "line 3:"},
      {head + "\"v\"=dword:123456789\n", "line 3:"},
      {head + "\"v\"=hex:01,,02\n", "line 3:"},
      {head + "\"v\"=hex(123456789):01\n", "line 3:"},
  };
  for (const auto& [text, error_start] : cases) {
    const ParsedHive parsed = ParseHive(kRoot, text);
    EXPECT_TRUE(parsed.error.starts_with(error_start)) << text << "\nerror: " << parsed.error;
    EXPECT_EQ(parsed.hive, Hive{}) << text;
  }
}

}  // namespace
}  // namespace quillfold
