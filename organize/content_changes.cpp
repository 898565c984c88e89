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
    const std::string_view new_line = lines.substr(span.offset, span.length);
    const std::uint32_t move = moves[index++];
    const std::optional<std::string> line =
        move == kLineUnchanged ? std::string(new_line) : old_line_of(new_line, move);
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

void ChangeRecorder::Unchanged(std::size_t length) {
  if (InMoves()) {
    ++unchanged_lines_;
    unchanged_bytes_ += length;
  }
  size_ += length;
}

void ChangeRecorder::RewrittenBy(std::uint32_t move, std::size_t length) {
  if (InMoves()) {
    ChangedStretch& stretch = stretches_.back();
    stretch.moves.insert(stretch.moves.end(), unchanged_lines_, kLineUnchanged);
    stretch.length += unchanged_bytes_;
  } else {
    stretches_.push_back({size_, 0, {}, {}});
  }
  unchanged_lines_ = unchanged_bytes_ = 0;
  stretches_.back().moves.push_back(move);
  stretches_.back().length += length;
  size_ += length;
}

void ChangeRecorder::Replaced(std::string_view old_bytes, std::size_t length) {
  unchanged_lines_ = unchanged_bytes_ = 0;
  if (stretches_.empty() || !stretches_.back().moves.empty() ||
      stretches_.back().offset + stretches_.back().length != size_) {
    stretches_.push_back({size_, 0, {}, {}});
  }
  stretches_.back().old_bytes += old_bytes;
  stretches_.back().length += length;
  size_ += length;
}

bool ChangeRecorder::InMoves() const {
  return !stretches_.empty() && !stretches_.back().moves.empty() &&
         stretches_.back().offset + stretches_.back().length + unchanged_bytes_ == size_;
}

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

namespace {

constexpr std::uint64_t kContentHashPrime = 1099511628211ULL;

}  // namespace

std::uint64_t ContentHash(std::string_view bytes, std::uint64_t hash) {
  for (const unsigned char c : bytes) hash = (hash ^ c) * kContentHashPrime;
  return hash;
}

void ContentHashes(std::string_view a, std::uint64_t& hash_a, std::string_view b,
                   std::uint64_t& hash_b) {
  const std::size_t both = std::min(a.size(), b.size());
  std::uint64_t first = hash_a;
  std::uint64_t second = hash_b;
  for (std::size_t i = 0; i < both; ++i) {
    first = (first ^ static_cast<unsigned char>(a[i])) * kContentHashPrime;
    second = (second ^ static_cast<unsigned char>(b[i])) * kContentHashPrime;
  }
  hash_a = ContentHash(a.substr(both), first);
  hash_b = ContentHash(b.substr(both), second);
}

}  // namespace quillfold
