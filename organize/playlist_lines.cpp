#include "organize/playlist_lines.h"

namespace quillfold {

std::vector<LineSpan> FindPlaylistLines(std::string_view content) {
  std::vector<LineSpan> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t cr = content.find('\r', start);
    if (cr == std::string_view::npos) {
      lines.push_back({start, content.size() - start});
      break;
    }
    lines.push_back({start, cr - start});
    start = cr + 1;
    if (start < content.size() && content[start] == '\n') ++start;
  }
  return lines;
}

std::vector<std::string> SplitPlaylistLines(std::string_view content) {
  std::vector<std::string> lines;
  for (const LineSpan& span : FindPlaylistLines(content)) {
    lines.emplace_back(content.substr(span.offset, span.length));
  }
  return lines;
}

std::string JoinPlaylistLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string content;
  content.reserve(size);
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  return content;
}

}  // namespace quillfold
