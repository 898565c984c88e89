#include "tags/path_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(AddBackslashTest, EndsInOneSeparatorWithoutTrailingSpaces) {
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
      {'/', "  /srv/music  ", "  /srv/music/"},
      {'/', "", "/"},
      {'/', "   ", "/"},
      {'/', "a//b", "a//b/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddBackslash(c.input, c.separator), c.expected)
        << "input \"" << c.input << "\" separator " << c.separator;
  }
}

TEST(EnsureFolderTest, CreatesTheWholeMissingChainIncludingTheLastComponent) {
  TempFolder temp;
  EXPECT_TRUE(EnsureFolder(RealFileSystem(), temp / "a/b/c"));
  struct stat info {};
  EXPECT_EQ(stat((temp / "a/b/c").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_TRUE(EnsureFolder(RealFileSystem(), temp / "a/b/c/")) << "an existing chain is fine";
}

TEST(EnsureFolderTest, ReportsFalseWhenAFileBlocksTheChain) {
  TempFolder temp;
  testing::WriteFile(temp / "a", "file");
  EXPECT_FALSE(EnsureFolder(RealFileSystem(), temp / "a/b"));
}

TEST(PathExistsTest, SeesEveryKindOfEntryAndTurnsFailuresIntoFalse) {
  TempFolder temp;
  testing::WriteFile(temp / "plain.mp3", "x");
  testing::WriteFile(temp / ".hidden.mp3", "x");
  testing::MakeFolders(temp / "folder.mp3");
  ASSERT_EQ(symlink((temp / "nowhere").c_str(), (temp / "dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((temp / "pipe").c_str(), 0600), 0);
  FileSystem& fs = RealFileSystem();
  EXPECT_TRUE(PathExists(fs, temp / "plain.mp3"));
  EXPECT_TRUE(PathExists(fs, temp / ".hidden.mp3"));
  EXPECT_TRUE(PathExists(fs, temp / "folder.mp3"));
  EXPECT_TRUE(PathExists(fs, temp / "dangling"));
  EXPECT_TRUE(PathExists(fs, temp / "pipe"));
  EXPECT_FALSE(PathExists(fs, temp / "missing"));
  EXPECT_FALSE(PathExists(fs, temp / "plain.mp3/below"));
  EXPECT_FALSE(PathExists(fs, ""));
  EXPECT_FALSE(PathExists(fs, std::string(5000, 'x')));
}

}  // namespace
}  // namespace quillfold
