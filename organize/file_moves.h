#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "organize/playlist_entry.h"

namespace quillfold {

// The key of a full path, the same for paths equal apart from ASCII letter
// case, made without an upper-cased copy. A line's target has the key of
// its whole path. Paths that share a key are compared whole.
std::uint64_t CaseBlindKey(std::string_view path);
std::uint64_t CaseBlindKey(const EntryTarget& target);

// Whether a playlist line leading to the full path `path` should stay as it
// is although that path is the old path of a moved file apart from letter
// case: where letter case tells names apart, it names a file of its own.
using NamesOtherFile = std::function<bool(const std::string& path)>;

// The moves a run made that playlist lines may follow, in the order they
// were made, found by the path each file left.
//
// Every move is kept until the moves would take more room than a fair share
// of the playlists. From then on, only moves that some line may concern
// are: the lines are noted in a filter of one bit per key, so a library of
// a million files and one small playlist keeps a few moves, not a million.
class FileMoves {
 public:
  // Forgets the moves and the lines noted.
  void Clear();
  // Readies the filter for about `lines` lines, forgetting those noted.
  void StartNoting(std::size_t lines);
  void NoteLine(const EntryTarget& target);
  // Drops the moves kept so far that no line noted may follow.
  void FinishNoting();
  // Keeps every move again, as before StartNoting.
  void StopNoting() { noted_ = {}; }
  bool Noting() const { return !noted_.empty(); }
  // The bytes the moves kept take.
  std::size_t Bytes() const { return paths_.size() + moves_.size() * sizeof(Move); }

  // Keeps the move of a file from `old_path` to `new_path` (full paths),
  // when noting only if a line noted, or a line an earlier move kept may
  // write, may lead to `old_path`. `number` is the move's number in the
  // run's journal.
  void Add(std::string_view old_path, std::string_view new_path,
           std::optional<std::uint32_t> number);
  bool empty() const { return moves_.empty(); }
  std::size_t size() const { return moves_.size(); }
  // Forgets the moves kept; the lines noted stay noted, and so do the paths
  // the moves wrote.
  void ClearMoves();

  // Readies the moves kept for Followed; call it once they are all added.
  void Index();
  // The first move made after move `after` (or the first of all) that a
  // line leading to `target` followed, as if each move had been looked at
  // when it was made: a move from exactly that path, else one from that path
  // in other letter case unless, at the time of that move, the path named a
  // file of its own (asked of `names_other_file` unless a move put a file
  // there). Nullopt when no move concerns the line.
  struct Match {
    std::uint32_t move;
    bool exact;  // the line leads to the old path byte for byte
  };
  std::optional<Match> Followed(const EntryTarget& target, std::optional<std::uint32_t> after,
                                const NamesOtherFile& names_other_file) const;

  std::string_view OldPath(std::uint32_t move) const;
  std::string_view NewPath(std::uint32_t move) const;
  std::optional<std::uint32_t> Number(std::uint32_t move) const;
  // Whether a later move left the path this one wrote, so that a line it
  // rewrites must be looked at again.
  bool FollowedOn(std::uint32_t move) const { return moves_[move].followed_on; }

 private:
  static constexpr std::uint32_t kNoNumber = 0xFFFFFFFF;
  struct Move {
    std::size_t old_at;  // in paths_, followed by the new path
    std::uint32_t old_length;
    std::uint32_t new_length;
    std::uint32_t number;
    bool followed_on;
  };
  struct Keyed {
    std::uint64_t key;
    std::uint32_t move;
    bool operator<(const Keyed& other) const {
      return key != other.key ? key < other.key : move < other.move;
    }
  };

  bool MayBeNamed(std::uint64_t key) const;
  void Note(std::uint64_t key);
  // Whether `path` named a file of its own when move `move` was made.
  bool OtherFileAt(const std::string& path, std::uint32_t move,
                   const NamesOtherFile& names_other_file) const;

  std::vector<std::uint64_t> noted_;  // one bit per key, by its low bits
  std::string paths_;
  std::vector<Move> moves_;
  std::vector<Keyed> by_old_key_;   // by the case-blind key of the old path
  std::vector<Keyed> by_new_path_;  // by the exact hash of the new path
};

}  // namespace quillfold
