#include "organize/playlist_lines.h"

#include <algorithm>
#include <cstring>

namespace quillfold {

namespace {

// The next CR and the next LF, each found by memchr (which scans many bytes
// at once) and kept until the line ends pass it: a playlist with one kind
// of line end scans for the other once.
class LineEndFinder {
 public:
  explicit LineEndFinder(std::string_view content)
      : content_(content), next_cr_(Find('\r', 0)), next_lf_(Find('\n', 0)) {}

  std::size_t Next(std::size_t start) {
    if (next_cr_ < start) next_cr_ = Find('\r', start);
    if (next_lf_ < start) next_lf_ = Find('\n', start);
    return std::min(next_cr_, next_lf_);
  }

 private:
  std::size_t Find(char end, std::size_t start) const {
    // memchr takes no null pointer, even for no bytes: empty content has one.
    if (start >= content_.size()) return content_.size();
    const void* found = std::memchr(content_.data() + start, end, content_.size() - start);
    return found == nullptr
               ? content_.size()
               : static_cast<std::size_t>(static_cast<const char*>(found) - content_.data());
  }

  std::string_view content_;
  std::size_t next_cr_;
  std::size_t next_lf_;
};

}  // namespace

void ForEachPlaylistLine(std::string_view content,
                         const std::function<void(const LineSpan&)>& take) {
  LineEndFinder finder(content);
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = finder.Next(start);
    if (end == content.size()) {
      take({start, content.size() - start, 0});
      break;
    }
    const bool cr_lf = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
    const std::size_t end_length = cr_lf ? 2 : 1;
    take({start, end - start, end_length});
    start = end + end_length;
  }
}

std::vector<LineSpan> FindPlaylistLines(std::string_view content) {
  std::vector<LineSpan> lines;
  ForEachPlaylistLine(content, [&](const LineSpan& span) { lines.push_back(span); });
  return lines;
}

std::vector<std::string> SplitPlaylistLines(std::string_view content) {
  std::vector<std::string> lines;
  for (const LineSpan& span : FindPlaylistLines(content)) {
    lines.emplace_back(content.substr(span.offset, span.length));
  }
  return lines;
}

bool HasLfOnlyLineEnd(std::string_view content) {
  for (std::size_t lf = content.find('\n'); lf != std::string_view::npos;
       lf = content.find('\n', lf + 1)) {
    if (lf == 0 || content[lf - 1] != '\r') return true;
  }
  return false;
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
