#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// Where one line lies in a playlist's content: `length` bytes at `offset`,
// then its line end of `end_length` bytes (0 for a last line without one).
struct LineSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::size_t end_length = 0;
};

// Hands each line of a playlist's content, as SplitPlaylistLines splits
// them, to `take` in order as its place in `content`: nothing is copied or
// kept.
void ForEachPlaylistLine(std::string_view content,
                         const std::function<void(const LineSpan&)>& take);

// The lines of a playlist's content, as ForEachPlaylistLine finds them.
std::vector<LineSpan> FindPlaylistLines(std::string_view content);

// Splits a playlist's content into lines, as Linux reads a text line: a
// line ends at a LF, at the pair CR LF (one line end) or at a lone CR; the
// line end is not part of the line. A last line without a line end is a line
// like any other; a line end at the very end adds no empty line; empty
// content has no lines. Pure.
std::vector<std::string> SplitPlaylistLines(std::string_view content);

// True when some line of `content` ends at a LF that follows no CR: such a
// playlist is written back with each line's own line end.
bool HasLfOnlyLineEnd(std::string_view content);

// The content of a written playlist: every line followed by CR LF, the last
// one included; no lines give empty content.
std::string JoinPlaylistLines(const std::vector<std::string>& lines);

}  // namespace quillfold
