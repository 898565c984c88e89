#include "tags/path_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix_file_system.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::TempFolder;

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

TEST(EnsureFolderTest, CreatesTheWholeChainButNotThroughAFile) {
  TempFolder temp;
  EXPECT_TRUE(EnsureFolder(RealFileSystem(), temp / "a/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(temp / "a/b/c"));
  EXPECT_TRUE(EnsureFolder(RealFileSystem(), temp / "a/b/c/")) << "an existing chain is fine";
  testing::WriteFile(temp / "f", "file");
  EXPECT_FALSE(EnsureFolder(RealFileSystem(), temp / "f/b"));
}

TEST(PathExistsTest, SeesEveryKindOfEntryAndTurnsFailuresIntoFalse) {
  TempFolder temp;
  testing::WriteFile(temp / "plain.mp3", "x");
  testing::WriteFile(temp / ".hidden.mp3", "x");
  testing::MakeFolders(temp / "folder.mp3");
  ASSERT_EQ(symlink((temp / "nowhere").c_str(), (temp / "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((temp / "pipe").c_str(), 0600), 0);
  for (const char* name : {"plain.mp3", ".hidden.mp3", "folder.mp3", "dangling", "pipe"}) {
    EXPECT_TRUE(PathExists(RealFileSystem(), temp / name)) << name;
  }
  for (const std::string& path :
       {temp / "missing", temp / "plain.mp3/below", std::string(), std::string(5000, 'x')}) {
    EXPECT_FALSE(PathExists(RealFileSystem(), path)) << path.substr(0, 80);
  }
}

}  // namespace
}  // namespace quillfold
