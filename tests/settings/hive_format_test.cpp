#include "settings/hive_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/registry.h"

namespace quillfold {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kSettings = "SOFTWARE\\Brackwater\\Quillfold";

struct StoredValue {
  std::string key;
  HiveValue value;
};

Hive MakeHive(const std::vector<StoredValue>& values) {
  Hive hive;
  for (const auto& [key, value] : values) StoreValue(EnsureKey(hive, key), value);
  return hive;
}

Hive HiveWithKey(std::string_view path) {
  Hive hive;
  EnsureKey(hive, path);
  return hive;
}

std::string AllBytes() {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

TEST(HiveFormatTest, EveryHiveSurvivesWritingAndParsing) {
  struct Case {
    std::string name;
    Hive hive;
  };
  const Case cases[] = {
      {"empty hive", Hive{}},
      {"settings texts",
       MakeHive({{std::string(kSettings), {"chkDontDo", REG_SZ, "checked"}},
                 {std::string(kSettings), {"StartPath", REG_SZ, "D:\\Music\\"}}})},
      {"every byte in text and name", MakeHive({{"A", {AllBytes(), REG_SZ, AllBytes()}}})},
      {"a text that looks like an escape", MakeHive({{"A", {"x", REG_SZ, "\\x41\\\"@="}}})},
      {"dwords", MakeHive({{"A", {"zero", REG_DWORD, std::string(4, '\0')}},
                           {"A", {"minus one", REG_DWORD, std::string(4, '\xFF')}},
                           {"A", {"answer", REG_DWORD, std::string("\x2A\0\0\0", 4)}}})},
      {"short dword", MakeHive({{"A", {"d", REG_DWORD, "\x01\x02\x03"}}})},
      {"other types", MakeHive({{"A", {"binary", 3, std::string("\x01\xFF\0", 3)}},
                                {"A", {"none", 0, ""}},
                                {"A", {"multi", 7, std::string("a\0b\0\0", 5)}},
                                {"A", {"negative type", -5, "z"}},
                                {"A", {"big type", 0x7FFFFFFF, "y"}}})},
      {"unnamed value and root values", MakeHive({{"", {"", REG_SZ, "root default"}},
                                                  {"", {"r", REG_SZ, "root"}},
                                                  {"K", {"", REG_SZ, "key default"}}})},
      {"several keys and odd key names", MakeHive({{"One\\Two", {"v", REG_SZ, "1"}},
                                                   {"Three [x]", {"v", REG_SZ, "3"}},
                                                   {"One", {"v", REG_SZ, "0"}},
                                                   {"Caf\xC3\xA9", {"v", REG_SZ, "\xE9"}}})},
  };
  for (const auto& c : cases) {
    const std::string text = WriteHive(kRoot, c.hive);
    const ParsedHive parsed = ParseHive(kRoot, text);
    ASSERT_TRUE(parsed.ok()) << c.name << ": " << parsed.error << "\n" << text;
    EXPECT_EQ(parsed.hive, c.hive) << c.name << "\n" << text;
    EXPECT_EQ(WriteHive(kRoot, parsed.hive), text) << c.name;
  }
}

TEST(HiveFormatTest, WritesTheRegistryExportStyleAndEscapesEveryControlByte) {
  const Hive hive = MakeHive({
      {std::string(kSettings), {"chkDontDo", REG_SZ, "checked"}},
      {std::string(kSettings), {"StartPath", REG_SZ, std::string("C:\\\"a\"\0\t\n\r\x7F\xE9", 12)}},
      {std::string(kSettings), {"Count", REG_DWORD, std::string("\x2A\0\0\0", 4)}},
      {std::string(kSettings), {"", 3, std::string("\x01\xFF\0", 3)}},
      {std::string(kSettings), {"Empty", 0x20, ""}},
  });
  EXPECT_EQ(WriteHive(kRoot, hive),
            "REGEDIT4\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n"
            "\"chkDontDo\"=\"checked\"\n"
            "\"StartPath\"=\"C:\\\\\\\"a\\\"\\x00\\x09\\x0a\\x0d\\x7f\xE9\"\n"
            "\"Count\"=dword:0000002a\n"
            "@=hex(3):01,ff,00\n"
            "\"Empty\"=hex(20):\n");
}

TEST(HiveFormatTest, AcceptsTheFormsPeopleWriteByHand) {
  struct Case {
    std::string name;
    std::string text;
    Hive expected;
  };
  const Case cases[] = {
      {"no bytes at all", "", Hive{}},
      {"header only, no final line end", "REGEDIT4", Hive{}},
      {"CR LF line ends, comments and blank lines",
       "REGEDIT4\r\n\r\n; saved by "
       "hand\r\n[HKEY_LOCAL_MACHINE\\A]\r\n;\"x\"=\"no\"\r\n\"v\"=\"1\"\r\n",
       MakeHive({{"A", {"v", REG_SZ, "1"}}})},
      {"root name in any letter case", "REGEDIT4\n[hkey_local_machine\\A]\n\"v\"=\"1\"",
       MakeHive({{"A", {"v", REG_SZ, "1"}}})},
      {"a section implies the keys above it", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n",
       HiveWithKey("A\\B\\C")},
      {"repeated section adds to the first, later value wins",
       "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\B]\n"
       "[HKEY_LOCAL_MACHINE\\a]\n\"V\"=\"2\"\n\"w\"=\"3\"\n",
       [] {
         Hive hive = MakeHive({{"A", {"V", REG_SZ, "2"}}, {"A", {"w", REG_SZ, "3"}}});
         EnsureKey(hive, "B");
         return hive;
       }()},
      {"short and upper-case hex, plain hex: for binary, \"\" for the unnamed value",
       "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"d\"=dword:2A\n\"b\"=hex:0A,Ff\n\"\"=hex(1):41,00\n"
       "\"e\"=\"\\x4A\\x4b\"\n",
       MakeHive({{"A", {"d", REG_DWORD, std::string("\x2A\0\0\0", 4)}},
                 {"A", {"b", 3, "\x0A\xFF"}},
                 {"A", {"", REG_SZ, std::string("A\0", 2)}},
                 {"A", {"e", REG_SZ, "JK"}}})},
      {"a raw tab inside quotes is itself", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"t\"=\"a\tb\"\n",
       MakeHive({{"A", {"t", REG_SZ, "a\tb"}}})},
  };
  for (const auto& c : cases) {
    const ParsedHive parsed = ParseHive(kRoot, c.text);
    ASSERT_TRUE(parsed.ok()) << c.name << ": " << parsed.error;
    EXPECT_EQ(parsed.hive, c.expected) << c.name;
  }
}

TEST(HiveFormatTest, RejectsWhatItCannotReadWithTheLineNumber) {
  struct Case {
    std::string text;
    std::string error_start;
  };
  const std::string head = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n";
  std::vector<Case> cases = {
      {"garbage\n", "line 1:"},
      {"Windows Registry Editor Version 5.00\n", "line 1:"},
      {" REGEDIT4\n", "line 1:"},
      {std::string("\xFF\xFE", 2) + "R\0E\0", "line 1:"},
      {"REGEDIT4\n\"v\"=\"1\"\n", "line 2:"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINEX\\A]\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\]\n", "line 2:"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\tB]\n", "line 2:"},
      {head + "\n\n\"ok\"=\"1\"\n\"bad\n", "line 6:"},
  };
  for (const char* bad_value_line : {"\"v\"=\"1\n",        "\"v\"=\"1\"x\n",
                                     "\"v\"=\"\\q\"\n",    "\"v\"=\"\\x4\"\n",
                                     "\"v\"=\"\\x4g\"\n",  "\"v\"=\"\\\n",
                                     "\"v\" = \"1\"\n",    "\"v\"\n",
                                     "v=\"1\"\n",          "\"v\"=text\n",
                                     "\"v\"=dword:\n",     "\"v\"=dword:123456789\n",
                                     "\"v\"=dword:12x4\n", "\"v\"=hex:1\n",
                                     "\"v\"=hex:01,\n",    "\"v\"=hex:01,,02\n",
                                     "\"v\"=hex:01 02\n",  "\"v\"=hex():01\n",
                                     "\"v\"=hex(1)01\n",   "\"v\"=hex(123456789):01\n"}) {
    cases.push_back({head + bad_value_line, "line 3:"});
  }
  for (const auto& c : cases) {
    const ParsedHive parsed = ParseHive(kRoot, c.text);
    EXPECT_FALSE(parsed.ok()) << "text: " << c.text;
    EXPECT_TRUE(parsed.error.starts_with(c.error_start))
        << "text: " << c.text << "\nerror: " << parsed.error;
    EXPECT_EQ(parsed.hive, Hive{}) << "text: " << c.text;
  }
}

}  // namespace
}  // namespace quillfold
