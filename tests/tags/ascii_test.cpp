#include "tags/ascii.h"

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

}  // namespace
}  // namespace quillfold
