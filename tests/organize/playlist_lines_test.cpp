#include "organize/playlist_lines.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

using Lines = std::vector<std::string>;

TEST(PlaylistLinesTest, SplitEndsLinesAtLfCrLfOrALoneCr) {
  const struct {
    std::string content;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"\r\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\n\nb", {"a", "", "b"}},
      {std::string("n\0ul\r", 5), {std::string("n\0ul", 4)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitPlaylistLines(c.content), c.lines) << ::testing::PrintToString(c.content);
  }
  for (const char* lf_only : {"a\n", "a\r\nb\n", "\nb", "a\r\rb\n"}) {
    EXPECT_TRUE(HasLfOnlyLineEnd(lf_only)) << ::testing::PrintToString(lf_only);
  }
  for (const char* no_lf_only : {"", "a", "a\r\nb\r\n", "a\rb\r", "a\r\n\r\n"}) {
    EXPECT_FALSE(HasLfOnlyLineEnd(no_lf_only)) << ::testing::PrintToString(no_lf_only);
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
      {{"#EXTM3U", "a.mp3", "b"}, "#EXTM3U\r\na.mp3\r\nb\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JoinPlaylistLines(c.lines), c.joined) << ::testing::PrintToString(c.lines);
    EXPECT_EQ(SplitPlaylistLines(c.joined), c.lines) << ::testing::PrintToString(c.lines);
  }
}

}  // namespace
}  // namespace quillfold
