#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// One stretch of a file's new content that stands where `old_bytes` stood;
// or, when `moves` is not empty, a stretch of whole lines whose old bytes
// are not kept because each line was rewritten by a move: the line of that
// move's number, naming its old path again, gives back the old line exactly.
// A playlist whose every line followed a moved file is then recorded in a
// few bytes per line instead of a second copy of itself.
// Such a stretch also takes in the unchanged lines between rewritten ones
// (kLineUnchanged), so that a player's playlist, where a comment comes
// before each entry, is one stretch and not one per entry.
struct ChangedStretch {
  std::size_t offset = 0;  // in the new content
  std::size_t length = 0;  // in the new content
  std::string old_bytes;
  std::vector<std::uint32_t> moves;  // one per line of the stretch
  bool operator==(const ChangedStretch&) const = default;
};
inline constexpr std::uint32_t kLineUnchanged = 0xFFFFFFFF;

// What a journal keeps of a replacement: the old and new contents' sizes
// and hashes, and the stretches that give back the old content from the new.
struct ContentChange {
  std::size_t old_size = 0;
  std::uint64_t old_hash = 0;
  std::size_t new_size = 0;
  std::uint64_t new_hash = 0;
  std::vector<ChangedStretch> stretches;
};

// The old text of `line` (no line end), which move number `move` wrote;
// nullopt when it cannot be told.
using OldLineOf =
    std::function<std::optional<std::string>(std::string_view line, std::uint32_t move)>;

// Builds the stretches of a change from the lines of the new content in
// order, each with how it stood in the old.
class ChangeRecorder {
 public:
  explicit ChangeRecorder(std::size_t offset) : size_(offset) {}
  void Unchanged(std::size_t length);
  void RewrittenBy(std::uint32_t move, std::size_t length);
  void Replaced(std::string_view old_bytes, std::size_t length);
  std::vector<ChangedStretch> TakeStretches() { return std::move(stretches_); }

 private:
  // Whether the last stretch is one of moves that unchanged lines since
  // could still join.
  bool InMoves() const;

  std::vector<ChangedStretch> stretches_;
  std::size_t size_;
  std::size_t unchanged_lines_ = 0;  // since the last stretch of moves
  std::size_t unchanged_bytes_ = 0;
};

// The old content, from the new one and its changed stretches; nullopt when
// a stretch of rewritten lines does not give its lines back.
std::optional<std::string> OldContent(std::string_view new_bytes,
                                      const std::vector<ChangedStretch>& stretches,
                                      const OldLineOf& old_line_of);

// A 64-bit FNV-1a hash of `bytes`: tells a content from another it is
// compared with, not from one made to collide. `hash` carries on from the
// hash of the bytes before `bytes`, so content in pieces hashes as a whole.
inline constexpr std::uint64_t kContentHashStart = 14695981039346656037ULL;
std::uint64_t ContentHash(std::string_view bytes, std::uint64_t hash = kContentHashStart);
// Carries on `hash_a` over `a` and `hash_b` over `b` as ContentHash does,
// together: each byte's step waits on the one before, so two chains side
// by side take about the time of one.
void ContentHashes(std::string_view a, std::uint64_t& hash_a, std::string_view b,
                   std::uint64_t& hash_b);

}  // namespace quillfold
