#include "organize/playlist_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

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
  int Replace(std::string_view old_path, std::string_view new_path,
              const NamesOtherFile& names_other_file = {}) {
    store_.FileMoved(old_path, new_path);
    return store_.FollowMovedFiles(names_other_file);
  }
  PlaylistStore store_;
};

TEST_F(PlaylistStoreTest, ReplacesEveryMatchingLineInAnyLetterCaseAndFindsItLaterByItsNewPath) {
  Hold({{"#EXTM3U", "D:\\Music\\a.mp3", "d:\\MUSIC\\A.MP3", "a.mp3", " D:\\Music\\a.mp3"},
        {"D:\\Music\\b.mp3"},
        {"D:\\MUSIC\\A.mp3"}});
  EXPECT_EQ(Replace("D:\\Music\\a.mp3", "D:\\Music\\X\\a.mp3"), 3);
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"#EXTM3U", "D:\\Music\\X\\a.mp3", "D:\\Music\\X\\a.mp3",
                                            "a.mp3", " D:\\Music\\a.mp3"}));
  EXPECT_EQ(store_.PlaylistLines(3), (Lines{"D:\\Music\\X\\a.mp3"}));
  EXPECT_EQ(
      std::tuple(store_.PlaylistChanged(1), store_.PlaylistChanged(2), store_.PlaylistChanged(3)),
      std::tuple(true, false, true));

  EXPECT_EQ(Replace("D:\\Music\\a.mp3", "D:\\Music\\z.mp3"), 0);
  EXPECT_EQ(Replace("d:\\music\\x\\A.MP3", "D:\\Music\\d.mp3"), 3);
  EXPECT_EQ(store_.PlaylistLines(3), (Lines{"D:\\Music\\d.mp3"}));
}

// Where letter case tells names apart, /m/a.mp3 and /m/A.MP3 are two files;
// moving one must not take the other's lines along.
TEST_F(PlaylistStoreTest, ALineInOtherLetterCaseThatNamesAFileOfItsOwnStays) {
  Hold({{"/m/a.mp3", "/m/A.MP3", "/m/A.mp3"}});
  const auto other_files = [](const std::string& line) { return line == "/m/A.MP3"; };
  EXPECT_EQ(Replace("/m/a.mp3", "/m/x/a.mp3", other_files), 2);
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"/m/x/a.mp3", "/m/A.MP3", "/m/x/a.mp3"}));
  const auto every_line_a_file = [](const std::string&) { return true; };
  EXPECT_EQ(Replace("/m/A.MP3", "/m/y/A.MP3", every_line_a_file), 1)
      << "the exact spelling always names the moved file";
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"/m/x/a.mp3", "/m/y/A.MP3", "/m/x/a.mp3"}));
}

// A run's moves are followed at once, after the last: each line must end
// where following every move as it was made would have taken it.
TEST_F(PlaylistStoreTest, MovesFollowedAtOnceTakeEachLineWhereEachMoveAsMadeWould) {
  const struct {
    const char* rule;
    std::vector<std::pair<std::string, std::string>> moves;
    std::string there_now;  // the one path that names a file after the moves
    Lines after;            // of the lines /m/a.mp3, /m/A.MP3, /m/B.mp3
  } rows[] = {
      {"the exact spelling wins over an earlier move in other letter case",
       {{"/m/a.mp3", "/m/x/a.mp3"}, {"/m/A.MP3", "/m/y/A.MP3"}},
       "",
       {"/m/x/a.mp3", "/m/y/A.MP3", "/m/B.mp3"}},
      {"a file moved in later was not there yet to be named",
       {{"/m/b.mp3", "/m/x/b.mp3"}, {"/m/c.mp3", "/m/B.mp3"}},
       "/m/B.mp3",
       {"/m/a.mp3", "/m/A.MP3", "/m/x/b.mp3"}},
      {"a file moved in earlier was",
       {{"/m/c.mp3", "/m/B.mp3"}, {"/m/b.mp3", "/m/x/b.mp3"}},
       "/m/B.mp3",
       {"/m/a.mp3", "/m/A.MP3", "/m/B.mp3"}},
      {"a line follows its file from move to move",
       {{"/m/a.mp3", "/m/b.mp3"}, {"/m/b.mp3", "/m/x/b.mp3"}},
       "",
       {"/m/x/b.mp3", "/m/x/b.mp3", "/m/x/b.mp3"}},
  };
  for (const auto& row : rows) {
    store_.Clear();
    Hold({{"/m/a.mp3", "/m/A.MP3", "/m/B.mp3"}});
    for (const auto& [from, to] : row.moves) store_.FileMoved(from, to);
    store_.FollowMovedFiles([&](const std::string& path) { return path == row.there_now; });
    EXPECT_EQ(store_.PlaylistLines(1), row.after) << row.rule;
  }
}

// A library far larger than its playlists: past a few MiB of moves, only
// the moves a line may follow are kept, and they still find their lines,
// for a file moved twice too.
TEST_F(PlaylistStoreTest, PastAFewMiBOfMovesTheMovesLinesFollowAreStillFollowed) {
  Hold({{"/library/in/track-7.mp3", "#EXTM3U", "/library/in/track-99999.mp3"}});
  for (int i = 0; i < 100000; ++i) {
    const std::string name = "track-" + std::to_string(i) + ".mp3";
    store_.FileMoved("/library/in/" + name, "/library/Band/Album/" + name);
  }
  store_.FileMoved("/library/Band/Album/track-7.mp3", "/library/Band/Live/track-7.mp3");
  EXPECT_EQ(store_.FollowMovedFiles(), 2);
  EXPECT_EQ(store_.PlaylistLines(1), (Lines{"/library/Band/Live/track-7.mp3", "#EXTM3U",
                                            "/library/Band/Album/track-99999.mp3"}));
}

// Lines held after some moves were followed, and the content of a file as
// read, are followed by the next moves just the same.
TEST_F(PlaylistStoreTest, LinesHeldAfterAReplacementAreFoundAndContentIsSplitAsRead) {
  Hold({{"/m/a.mp3"}, {}});
  ASSERT_EQ(Replace("/m/a.mp3", "/m/b.mp3"), 1);
  store_.SetPlaylistContent(2, "#EXTM3U\r\n/m/b.mp3\r/m/c.mp3\n/m/d.mp3");
  EXPECT_EQ(store_.PlaylistLines(2), (Lines{"#EXTM3U", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"}));
  EXPECT_EQ(Replace("/m/b.mp3", "/m/e.mp3"), 2);
  EXPECT_EQ(store_.PlaylistContent(1), "/m/e.mp3\r\n");
  EXPECT_EQ(store_.PlaylistContent(2), "#EXTM3U\r\n/m/e.mp3\r/m/c.mp3\n/m/d.mp3");
  EXPECT_TRUE(store_.PlaylistChanged(2));
}

// A byte-order mark is not part of the first path, and stays in the file.
TEST_F(PlaylistStoreTest, AByteOrderMarkHidesNoLineAndIsKept) {
  Hold({{}});
  store_.SetPlaylistContent(1, "\xEF\xBB\xBF/m/a.mp3\r\n/m/b.mp3\r\n");
  EXPECT_EQ(Replace("/m/a.mp3", "/m/x/a.mp3"), 1);
  EXPECT_EQ(store_.PlaylistContent(1), "\xEF\xBB\xBF/m/x/a.mp3\r\n/m/b.mp3\r\n");
  store_.SetPlaylistLines(1, {"\xEF\xBB\xBF/m/c.mp3"});
  EXPECT_EQ(Replace("/m/c.mp3", "/m/d.mp3"), 0) << "lines given are taken as they are";
}

TEST_F(PlaylistStoreTest, SlotsOutsideTheCountAreRefused) {
  Hold({{"x"}});
  EXPECT_THROW(store_.PlaylistName(0), RunError);
  EXPECT_THROW(store_.PlaylistName(2), RunError);
}

// A playlist larger than a piece is written in bounded pieces, the host let
// in between them and while its lines are split and followed.
TEST_F(PlaylistStoreTest, ALargePlaylistIsWrittenInBoundedPiecesWithTheHostLetIn) {
  std::string content = "#EXTM3U\n";
  for (int i = 0; i < 100000; ++i) content += "/m/track" + std::to_string(i) + ".mp3\n";
  std::string expected = content;
  expected.replace(expected.find("/m/track7.mp3"), 13, "/m/x/track7.mp3");
  int host_calls = 0;
  store_.SetBetweenPieces([&] { ++host_calls; });
  Hold({{}});
  store_.SetPlaylistContent(1, content);
  ASSERT_EQ(Replace("/m/track7.mp3", "/m/x/track7.mp3"), 1);
  const int reading_calls = std::exchange(host_calls, 0);
  const ContentPieces pieces = store_.PlaylistPieces(1);
  std::string written;
  std::size_t largest = 0;
  ASSERT_TRUE(pieces.write_to([&](std::string_view piece) {
    written += piece;
    largest = std::max(largest, piece.size());
    return true;
  }));
  EXPECT_EQ(std::tuple(written, pieces.size), std::tuple(expected, expected.size()));
  EXPECT_LE(largest, (std::size_t{1} << 20) + 64);
  EXPECT_GE(reading_calls, 4) << "split and follow, each in pieces";
  EXPECT_GE(host_calls, 1) << "between written pieces";
}

}  // namespace
}  // namespace quillfold
