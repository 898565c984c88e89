#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// Where one line lies in a playlist's content, its line end excluded.
struct LineSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The lines of a playlist's content, as SplitPlaylistLines splits them, as
// places in `content`: no line is copied.
std::vector<LineSpan> FindPlaylistLines(std::string_view content);

// Splits a playlist's content into lines. A line ends at a CR or at the pair
// CR LF, which counts as one line end; the line end is not part of the line.
// A LF that does not follow a CR stays inside its line, so a file with LF-only
// line ends is one line. A last line without a line end is a line like any
// other; a line end at the very end adds no empty line; empty content has no
// lines. Pure.
std::vector<std::string> SplitPlaylistLines(std::string_view content);

// The content of a written playlist: every line followed by CR LF, the last
// one included; no lines give empty content.
std::string JoinPlaylistLines(const std::vector<std::string>& lines);

}  // namespace quillfold
