#include "text/ascii.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

TEST(EqualsIgnoringAsciiCaseTest, FoldsOnlyTheLettersAToZ) {
  const struct {
    std::string_view a;
    std::string_view b;
    bool equal;
  } cases[] = {
      {"", "", true},          {"D:\\Music\\a.mp3", "d:\\MUSIC\\A.MP3", true},
      {"abc", "abcd", false},  {"a b", "a  b", false},
      {"\xE9", "\xC9", false}, {"[", "{", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

TEST(ControlBytesEscapedTest, WritesEveryControlByteButTheTabInHex) {
  const struct {
    std::string_view text;
    std::string_view shown;
  } cases[] = {
      {"plain \xE9t\xE9.mp3", "plain \xE9t\xE9.mp3"},
      {"a\nb\r\nc", "a\\x0Ab\\x0D\\x0Ac"},
      {"\x1B[31mred\x7F", "\\x1B[31mred\\x7F"},
      {std::string_view("nul\0\ttab", 8), "nul\\x00\ttab"},
  };
  for (const auto& c : cases) EXPECT_EQ(ControlBytesEscaped(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace quillfold
