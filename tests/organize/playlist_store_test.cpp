#include "organize/playlist_store.h"

#include <gtest/gtest.h>

#include "errors/run_error.h"

namespace quillfold {
namespace {

using Lines = std::vector<std::string>;

class PlaylistStoreTest : public ::testing::Test {
 protected:
  void Hold(const std::vector<Lines>& playlists) {
    store_.SetPlaylistCount(static_cast<int>(playlists.size()));
    for (int slot = 1; slot <= store_.PlaylistCount(); ++slot) {
      store_.SetPlaylistName(slot, "list" + std::to_string(slot) + ".m3u");
      store_.SetPlaylistLines(slot, playlists[static_cast<std::size_t>(slot - 1)]);
    }
  }
  PlaylistStore store_;
};

TEST_F(PlaylistStoreTest, ReplacesEveryMatchingLineInAnyLetterCaseAndIndexesTheNewPath) {
  Hold({{"#EXTM3U", "D:\\Music\\a.mp3", "d:\\MUSIC\\A.MP3", "a.mp3", " D:\\Music\\a.mp3"},
        {"D:\\Music\\b.mp3"},
        {"D:\\MUSIC\\A.mp3"}});
  EXPECT_EQ(store_.ReplaceMatchingLines("D:\\Music\\a.mp3", "D:\\Music\\X\\a.mp3"), 3);
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"#EXTM3U", "D:\\Music\\X\\a.mp3", "D:\\Music\\X\\a.mp3",
                                            "a.mp3", " D:\\Music\\a.mp3"}));
  EXPECT_EQ(store_.PlaylistLines(3), (Lines{"D:\\Music\\X\\a.mp3"}));
  EXPECT_TRUE(store_.PlaylistChanged(1));
  EXPECT_FALSE(store_.PlaylistChanged(2));
  EXPECT_TRUE(store_.PlaylistChanged(3));

  EXPECT_EQ(store_.ReplaceMatchingLines("D:\\Music\\a.mp3", "D:\\Music\\z.mp3"), 0);
  EXPECT_EQ(store_.ReplaceMatchingLines("d:\\music\\x\\A.MP3", "D:\\Music\\d.mp3"), 3);
  EXPECT_EQ(store_.PlaylistLines(3), (Lines{"D:\\Music\\d.mp3"}));
}

// Where letter case tells names apart, /m/a.mp3 and /m/A.MP3 are two files;
// moving one must not take the other's lines along.
TEST_F(PlaylistStoreTest, ALineInOtherLetterCaseThatNamesAFileOfItsOwnStays) {
  Hold({{"/m/a.mp3", "/m/A.MP3", "/m/A.mp3"}});
  const auto other_files = [](const std::string& line) { return line == "/m/A.MP3"; };
  EXPECT_EQ(store_.ReplaceMatchingLines("/m/a.mp3", "/m/x/a.mp3", other_files), 2);
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"/m/x/a.mp3", "/m/A.MP3", "/m/x/a.mp3"}));
  const auto every_line_a_file = [](const std::string&) { return true; };
  EXPECT_EQ(store_.ReplaceMatchingLines("/m/A.MP3", "/m/y/A.MP3", every_line_a_file), 1)
      << "the exact spelling always names the moved file";
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"/m/x/a.mp3", "/m/y/A.MP3", "/m/x/a.mp3"}));
}

// The index is built at the first replacement; lines held after it, and
// the content of a file as read, must be found just the same.
TEST_F(PlaylistStoreTest, LinesHeldAfterAReplacementAreFoundAndContentIsSplitAsRead) {
  Hold({{"/m/a.mp3"}, {}});
  ASSERT_EQ(store_.ReplaceMatchingLines("/m/a.mp3", "/m/b.mp3"), 1);
  store_.SetPlaylistContent(2, "#EXTM3U\r\n/m/b.mp3\r/m/c.mp3\n/m/d.mp3");
  EXPECT_EQ(store_.PlaylistLines(2), (Lines{"#EXTM3U", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"}));
  EXPECT_EQ(store_.ReplaceMatchingLines("/m/b.mp3", "/m/e.mp3"), 2);
  EXPECT_EQ(store_.PlaylistContent(1), "/m/e.mp3\r\n");
  EXPECT_EQ(store_.PlaylistContent(2), "#EXTM3U\r\n/m/e.mp3\r/m/c.mp3\n/m/d.mp3");
  EXPECT_TRUE(store_.PlaylistChanged(2));
}

// A byte-order mark is not part of the first path, and stays in the file.
TEST_F(PlaylistStoreTest, AByteOrderMarkHidesNoLineAndIsKept) {
  Hold({{}});
  store_.SetPlaylistContent(1, "\xEF\xBB\xBF/m/a.mp3\r\n/m/b.mp3\r\n");
  EXPECT_EQ(store_.ReplaceMatchingLines("/m/a.mp3", "/m/x/a.mp3"), 1);
  EXPECT_EQ(store_.PlaylistContent(1), "\xEF\xBB\xBF/m/x/a.mp3\r\n/m/b.mp3\r\n");
  store_.SetPlaylistLines(1, {"\xEF\xBB\xBF/m/c.mp3"});
  EXPECT_EQ(store_.ReplaceMatchingLines("/m/c.mp3", "/m/d.mp3"), 0)
      << "lines given are taken as they are";
}

TEST_F(PlaylistStoreTest, SlotsOutsideTheCountAreRefused) {
  Hold({{"x"}});
  EXPECT_THROW(store_.PlaylistName(0), RunError);
  EXPECT_THROW(store_.PlaylistName(2), RunError);
}

}  // namespace
}  // namespace quillfold
