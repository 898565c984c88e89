#include "organize/content_changes.h"

#include <algorithm>

#include "organize/playlist_lines.h"

namespace quillfold {
namespace {

// Appends the old lines of a stretch of rewritten lines; false when its
// lines and its moves do not pair up or a line cannot be given back.
bool AppendOldLines(std::string& old, std::string_view lines,
                    const std::vector<std::uint32_t>& moves, const OldLineOf& old_line_of) {
  std::size_t index = 0;
  bool whole = true;
  ForEachPlaylistLine(lines, [&](const LineSpan& span) {
    if (!whole || index == moves.size()) {
      whole = false;
      return;
    }
    const std::optional<std::string> line =
        old_line_of(lines.substr(span.offset, span.length), moves[index++]);
    if (!line) {
      whole = false;
      return;
    }
    old += *line;
    old += lines.substr(span.offset + span.length, span.end_length);
  });
  return whole && index == moves.size();
}

}  // namespace

std::optional<std::string> OldContent(std::string_view new_bytes,
                                      const std::vector<ChangedStretch>& stretches,
                                      const OldLineOf& old_line_of) {
  std::string old;
  std::size_t from = 0;
  for (const ChangedStretch& stretch : stretches) {
    old.append(new_bytes.substr(from, stretch.offset - from));
    if (stretch.moves.empty()) {
      old += stretch.old_bytes;
    } else if (!AppendOldLines(old, new_bytes.substr(stretch.offset, stretch.length), stretch.moves,
                               old_line_of)) {
      return std::nullopt;
    }
    from = stretch.offset + stretch.length;
  }
  old.append(new_bytes.substr(std::min(from, new_bytes.size())));
  return old;
}

std::uint64_t ContentHash(std::string_view bytes, std::uint64_t hash) {
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ULL;
  return hash;
}

}  // namespace quillfold
