#include <string>
#include <string_view>

#include "organize/playlist_lines.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

// The content without its line ends: every CR and every LF goes.
std::string WithoutLineEnds(std::string_view content) {
  std::string text;
  for (const char c : content) {
    if (c != '\r' && c != '\n') text += c;
  }
  return text;
}

}  // namespace

void FuzzSplitPlaylistLines(FuzzInput input) {
  const std::string_view content(reinterpret_cast<const char*>(input.data()), input.size());
  const std::vector<std::string> lines = SplitPlaylistLines(content);
  std::string joined;
  for (const auto& line : lines) {
    FuzzCheck(line.find_first_of("\r\n") == std::string::npos, "no line holds a CR or LF");
    joined += line;
  }
  FuzzCheck(joined == WithoutLineEnds(content), "splitting drops the line ends and nothing else");
  FuzzCheck(content.empty() == lines.empty(), "only empty content has no lines");
  FuzzCheck(SplitPlaylistLines(JoinPlaylistLines(lines)) == lines,
            "a written playlist reads back as the lines it was written from");
}

}  // namespace quillfold::fuzz
