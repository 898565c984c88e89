#include "text/add_backslash.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

struct BackslashCase {
  char separator;
  std::string input;
  std::string expected;
};

TEST(AddBackslashTest, EndsInOneSeparatorAndDropsTrailingSpacesOnlyFromDrivePaths) {
  const BackslashCase cases[] = {
      {'\\', "C:\\Music", "C:\\Music\\"},
      {'\\', "C:\\Music\\", "C:\\Music\\"},
      {'\\', "C:\\", "C:\\"},
      {'\\', "C:\\Music   ", "C:\\Music\\"},
      {'\\', "", "\\"},
      {'\\', "D:", "D:\\"},
      {'\\', "C:\\\\Music", "C:\\\\Music\\"},
      {'/', "/srv/music", "/srv/music/"},
      {'/', "/srv/music/", "/srv/music/"},
      {'/', "/", "/"},
      {'/', "  /srv/music  ", "  /srv/music  /"},
      {'/', "", "/"},
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
