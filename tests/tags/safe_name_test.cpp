#include "tags/safe_name.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

TEST(SafeNameTest, KeepsEveryScriptDropsWhatNoFileSystemTakes) {
  const std::string e_acute_nfd = "e\xCC\x81";  // e and a combining acute
  const struct {
    std::string input;
    std::string folder;
  } cases[] = {
      {"Bj\xC3\xB6rk", "Bj\xC3\xB6rk"},
      {"D" + e_acute_nfd + "but",
       "D\xC3\xA9"
       "but"},  // NFC
      {"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE"},
      {"\xE5\xB0\x8F\xE6\xB3\xBD 12", "\xE5\xB0\x8F\xE6\xB3\xBD 12"},
      {"AC/DC", "ACDC"},
      {"a\\b:c*d?e\"f<g>h|i", "abcdefghi"},
      {"tab\there\x7F\xC2\x85", "tabhere"},  // C0, DEL and C1 controls
      {" ..Ready. ", "Ready"},
      {"CON", "CON_"},
      {"nul.txt", "nul_.txt"},
      {"Com1 ", "Com1_"},
      {"CONTROL", "CONTROL"},
      {"LPT10", "LPT10"},
      {"???", "_"},
      {"", "_"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFolderName(c.input), c.folder) << c.input;
}

TEST(SafeNameTest, CutsLongNamesAtACharacterBoundaryKeepingTheExtension) {
  std::string kana;
  for (int i = 0; i < 100; ++i) kana += "\xE3\x81\x82";  // 300 bytes, 3 per character
  const std::string file = SafeFileName(kana, ".mp3");
  EXPECT_EQ(file, kana.substr(0, 249) + ".mp3");  // 251 bytes would split a character
  EXPECT_EQ(SafeFolderName(kana), kana.substr(0, 255));
  EXPECT_EQ(SafeFolderName(std::string(254, 'a') + "\xC3\xA9"), std::string(254, 'a'));
  EXPECT_EQ(SafeFileName("01. CON", ".mp3"), "01. CON.mp3");
  EXPECT_EQ(SafeFileName("con", ".mp3"), "con_.mp3");
  EXPECT_EQ(SafeFileName("Title...", ".mp3"), "Title.mp3");
  EXPECT_EQ(SafeFileName("???", ".mp3"), "_.mp3");
}

}  // namespace
}  // namespace quillfold
