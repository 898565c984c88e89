#include "organize/playlist_lines.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitPlaylistLinesTest, EndsLinesAtCrOrCrLfOnly) {
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
      {"\r\n", {""}},
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

TEST(JoinPlaylistLinesTest, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinPlaylistLines({}), "");
  EXPECT_EQ(JoinPlaylistLines({""}), "\r\n");
  EXPECT_EQ(JoinPlaylistLines({"a", "b\nc"}), "a\r\nb\nc\r\n");
}

TEST(JoinPlaylistLinesTest, SplittingAJoinedPlaylistGivesItsLinesBack) {
  const Lines cases[] = {{"#EXTM3U", "", "a.mp3"}, {"x\ny"}, {"", ""}};
  for (const Lines& lines : cases) {
    EXPECT_EQ(SplitPlaylistLines(JoinPlaylistLines(lines)), lines)
        << ::testing::PrintToString(lines);
  }
}

}  // namespace
}  // namespace quillfold
