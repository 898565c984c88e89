#include "text/add_backslash.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

TEST(AddBackslashTest, EndsInOneSeparatorAndDropsTrailingSpacesOnlyFromDrivePaths) {
  const struct {
    char separator;
    std::string input;
    std::string expected;
  } cases[] = {
      {'\\', "C:\\Music", "C:\\Music\\"},
      {'\\', "C:\\Music\\", "C:\\Music\\"},
      {'\\', "C:\\Music   ", "C:\\Music\\"},
      {'\\', "D:", "D:\\"},
      {'\\', "", "\\"},
      {'/', "/srv/music", "/srv/music/"},
      {'/', "/", "/"},
      {'/', "  /srv/music  ", "  /srv/music  /"},
      {'/', "/srv/a /", "/srv/a /"},
      {'/', "a//b", "a//b/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddBackslash(c.input, c.separator), c.expected)
        << "input \"" << c.input << "\" separator " << c.separator;
  }
}

}  // namespace
}  // namespace quillfold
