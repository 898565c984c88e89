#include "organize/playlist_lines.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

using Lines = std::vector<std::string>;

TEST(PlaylistLinesTest, SplitEndsLinesAtCrOrCrLfOnly) {
  const struct {
    std::string content;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a\nb\n"}},
      {"\r\n\r\n", {"", ""}},
      {"\r\r\n", {"", ""}},
      {"a\n\rb", {"a\n", "b"}},
      {"a\r\n\nb", {"a", "\nb"}},
      {std::string("n\0ul\r", 5), {std::string("n\0ul", 4)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitPlaylistLines(c.content), c.lines) << ::testing::PrintToString(c.content);
  }
}

TEST(PlaylistLinesTest, JoinEndsEveryLineWithCrLfAndSplitGivesTheLinesBack) {
  const struct {
    Lines lines;
    std::string joined;
  } cases[] = {
      {{}, ""},
      {{""}, "\r\n"},
      {{"", ""}, "\r\n\r\n"},
      {{"#EXTM3U", "a.mp3", "b\nc"}, "#EXTM3U\r\na.mp3\r\nb\nc\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JoinPlaylistLines(c.lines), c.joined) << ::testing::PrintToString(c.lines);
    EXPECT_EQ(SplitPlaylistLines(c.joined), c.lines) << ::testing::PrintToString(c.lines);
  }
}

}  // namespace
}  // namespace quillfold
