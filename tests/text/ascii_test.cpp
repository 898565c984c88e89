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
  EXPECT_EQ(ControlBytesEscaped("plain \xE9t\xE9.mp3"), "plain \xE9t\xE9.mp3");
  EXPECT_EQ(ControlBytesEscaped(std::string_view("a\r\n\x1B[31m\x7F\0\t", 11)),
            "a\\x0D\\x0A\\x1B[31m\\x7F\\x00\t");
}

}  // namespace
}  // namespace quillfold
