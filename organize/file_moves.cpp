#include "organize/file_moves.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;
// Bits of the filter per line noted: about one move in 16 that no line
// names is kept by chance.
constexpr std::size_t kFilterBitsPerLine = 16;

// The eight bytes of `word` with the ASCII letters a to z upper-cased, all
// at once: each byte's low seven bits plus a constant carry into its high
// bit exactly when the byte is at least "a" (or past "z"), and bytes of
// 0x80 and above are left alone.
std::uint64_t UpperAscii8(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t low_bits = word & (0x7F * kOnes);
  const std::uint64_t from_a = low_bits + (0x80 - 'a') * kOnes;
  const std::uint64_t past_z = low_bits + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t lower = (from_a ^ past_z) & ~word & (0x80 * kOnes);
  return word ^ (lower >> 2);
}

// Hashes text upper-cased in ASCII eight bytes at a time; text given in
// pieces (a line's target is a head and a tail) hashes as if whole.
class CaseBlindHasher {
 public:
  void Add(std::string_view text) {
    length_ += text.size();
    for (; filled_ != 0 && !text.empty(); text.remove_prefix(1)) Take(text.front());
    for (; text.size() >= 8; text.remove_prefix(8)) {
      std::uint64_t word = 0;
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, text.data(), 8);
      } else {
        for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(text[i]);
      }
      Mix(word);
    }
    for (const char c : text) Take(c);
  }

  // Scrambled at the end so that the low bits, which pick a bit of the
  // filter, depend on every byte.
  std::uint64_t Finish() {
    if (filled_ != 0) Mix(pending_);
    std::uint64_t hash = hash_ ^ length_;
    hash = (hash ^ (hash >> 33)) * 0xFF51AFD7ED558CCDULL;
    hash = (hash ^ (hash >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    return hash ^ (hash >> 33);
  }

 private:
  void Take(char c) {
    pending_ |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * filled_);
    if (++filled_ < 8) return;
    Mix(pending_);
    pending_ = 0;
    filled_ = 0;
  }
  void Mix(std::uint64_t word) { hash_ = std::rotl((hash_ ^ UpperAscii8(word)) * kFnvPrime, 29); }

  std::uint64_t hash_ = kFnvOffset;
  std::uint64_t pending_ = 0;
  int filled_ = 0;
  std::size_t length_ = 0;
};

std::uint64_t ExactHash(std::string_view text) {
  std::uint64_t hash = kFnvOffset;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kFnvPrime;
  }
  return hash;
}

// Whether `target` leads to `path`: exactly, or apart from letter case.
bool LeadsTo(const EntryTarget& target, std::string_view path, bool ignoring_case) {
  if (path.size() != target.head.size() + target.tail.size()) return false;
  const std::string_view head = path.substr(0, target.head.size());
  const std::string_view tail = path.substr(target.head.size());
  if (ignoring_case) {
    return EqualsIgnoringAsciiCase(head, target.head) && EqualsIgnoringAsciiCase(tail, target.tail);
  }
  return head == target.head && tail == target.tail;
}

}  // namespace

std::uint64_t CaseBlindKey(std::string_view path) {
  CaseBlindHasher hasher;
  hasher.Add(path);
  return hasher.Finish();
}

std::uint64_t CaseBlindKey(const EntryTarget& target) {
  CaseBlindHasher hasher;
  hasher.Add(target.head);
  hasher.Add(target.tail);
  return hasher.Finish();
}

void FileMoves::Clear() {
  noted_ = {};
  ClearMoves();
}

void FileMoves::StartNoting(std::size_t lines) {
  noted_.assign(std::bit_ceil(std::max<std::size_t>(lines * kFilterBitsPerLine, 64)) / 64, 0);
}

void FileMoves::NoteLine(const EntryTarget& target) { Note(CaseBlindKey(target)); }

void FileMoves::FinishNoting() {
  std::string paths = std::move(paths_);
  std::vector<Move> moves = std::move(moves_);
  ClearMoves();
  for (const Move& move : moves) {
    const std::string_view old_path(paths.data() + move.old_at, move.old_length);
    const std::string_view new_path(paths.data() + move.old_at + move.old_length, move.new_length);
    Add(old_path, new_path, move.number == kNoNumber ? std::nullopt : std::optional(move.number));
  }
}

void FileMoves::Note(std::uint64_t key) {
  if (noted_.empty()) return;
  const std::size_t bit = key & (noted_.size() * 64 - 1);
  noted_[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

bool FileMoves::MayBeNamed(std::uint64_t key) const {
  if (noted_.empty()) return true;
  const std::size_t bit = key & (noted_.size() * 64 - 1);
  return (noted_[bit / 64] >> (bit % 64)) & 1;
}

void FileMoves::Add(std::string_view old_path, std::string_view new_path,
                    std::optional<std::uint32_t> number) {
  if (!MayBeNamed(CaseBlindKey(old_path))) return;
  // A line this move rewrites leads to the new path, which a later move
  // may leave in turn.
  Note(CaseBlindKey(new_path));
  moves_.push_back({paths_.size(), static_cast<std::uint32_t>(old_path.size()),
                    static_cast<std::uint32_t>(new_path.size()), number.value_or(kNoNumber),
                    false});
  paths_.append(old_path).append(new_path);
}

void FileMoves::ClearMoves() {
  paths_ = {};
  moves_ = {};
  by_old_key_ = {};
  by_new_path_ = {};
}

void FileMoves::Index() {
  by_old_key_.clear();
  by_new_path_.clear();
  for (std::uint32_t move = 0; move < moves_.size(); ++move) {
    by_old_key_.push_back({CaseBlindKey(OldPath(move)), move});
    by_new_path_.push_back({ExactHash(NewPath(move)), move});
  }
  std::sort(by_old_key_.begin(), by_old_key_.end());
  std::sort(by_new_path_.begin(), by_new_path_.end());
  for (Move& move : moves_) {
    const std::uint32_t index = static_cast<std::uint32_t>(&move - moves_.data());
    const std::uint64_t key = CaseBlindKey(NewPath(index));
    const auto later = std::upper_bound(by_old_key_.begin(), by_old_key_.end(), Keyed{key, index});
    move.followed_on = later != by_old_key_.end() && later->key == key;
  }
}

std::optional<FileMoves::Match> FileMoves::Followed(const EntryTarget& target,
                                                    std::optional<std::uint32_t> after,
                                                    const NamesOtherFile& names_other_file) const {
  const std::uint64_t key = CaseBlindKey(target);
  const Keyed from{key, after ? *after + 1 : 0};
  const auto first = std::lower_bound(by_old_key_.begin(), by_old_key_.end(), from);
  const auto last = std::upper_bound(first, by_old_key_.end(), Keyed{key, kNoNumber});
  // A file still at the exact path until a later move took it named a file
  // of its own at every move before that one.
  for (auto candidate = first; candidate != last; ++candidate) {
    if (LeadsTo(target, OldPath(candidate->move), false)) return Match{candidate->move, true};
  }
  for (auto candidate = first; candidate != last; ++candidate) {
    if (LeadsTo(target, OldPath(candidate->move), true) &&
        !OtherFileAt(target.Path(), candidate->move, names_other_file)) {
      return Match{candidate->move, false};
    }
  }
  return std::nullopt;
}

// A path some move wrote held a file from that move on; any other path is
// asked about as it is now.
bool FileMoves::OtherFileAt(const std::string& path, std::uint32_t move,
                            const NamesOtherFile& names_other_file) const {
  const std::uint64_t hash = ExactHash(path);
  for (auto wrote = std::lower_bound(by_new_path_.begin(), by_new_path_.end(), Keyed{hash, 0});
       wrote != by_new_path_.end() && wrote->key == hash; ++wrote) {
    if (NewPath(wrote->move) == path) return wrote->move <= move;
  }
  return names_other_file && names_other_file(path);
}

std::string_view FileMoves::OldPath(std::uint32_t move) const {
  return std::string_view(paths_).substr(moves_[move].old_at, moves_[move].old_length);
}

std::string_view FileMoves::NewPath(std::uint32_t move) const {
  return std::string_view(paths_).substr(moves_[move].old_at + moves_[move].old_length,
                                         moves_[move].new_length);
}

std::optional<std::uint32_t> FileMoves::Number(std::uint32_t move) const {
  const std::uint32_t number = moves_[move].number;
  return number == kNoNumber ? std::nullopt : std::optional(number);
}

}  // namespace quillfold
