#include <string>
#include <unordered_map>
#include <vector>

#include "organize/playlist_entry.h"
#include "organize/playlist_store.h"

namespace quillfold {

// One pass of FollowMovedFiles over every line. The line a move writes
// depends only on the move, the old line's form and kept prefix and, for a
// relative line, its playlist's folder; each such text is made and kept
// once, so that a line many playlists share costs a lookup, not a new
// text. The lookups stay small enough for the processor's caches: by move
// for the pass, and for relative lines by move within the playlist gone
// through.
class PlaylistStore::Follower {
 public:
  Follower(PlaylistStore& store, const NamesOtherFile& names_other_file)
      : store_(store), names_other_file_(names_other_file) {}

  int FollowEveryLine(const SlotFollowed& followed) {
    store_.moves_.Index();
    int rewritten = 0;
    std::size_t lines = 0;
    for (int number = 1; number <= store_.count_; ++number) {
      Slot& slot = store_.At(number);
      in_slot_.clear();
      for (std::size_t line = 0; line < slot.lines.size(); ++line) {
        store_.BetweenPieces(++lines);
        if (!FollowLine(slot, line)) continue;
        ++rewritten;
        slot.changed = true;
      }
      if (followed) followed(number);
    }
    return rewritten;
  }

 private:
  static constexpr std::uint32_t kNotYet = 0xFFFFFFFF;
  struct Written {
    std::uint32_t index = kNotYet;
    // The text written has the old line's form and kept prefix, so naming
    // the old path in it writes what the old line would.
    bool same_prefix = false;
  };

  // Points the line at where the files it led to went, move after move;
  // false when no move concerns it.
  bool FollowLine(Slot& slot, std::size_t line) {
    const bool loaded = !slot.lines[line].Written();
    std::optional<std::uint32_t> after;
    for (;;) {
      const std::string_view text = store_.Line(slot, line);
      const EntryTarget target = ReadPlaylistEntry(text, slot.folder, store_.separator_, scratch_);
      if (target.form == EntryForm::kNone) break;
      const std::optional<FileMoves::Match> match =
          store_.moves_.Followed(target, after, names_other_file_);
      if (!match) break;
      // Asked before Write, which may move the written text `text` lies in.
      const bool written_as_is = loaded && !after && match->exact && IsWrittenForm(text, target);
      const Written written = Write(slot, text, target.form, match->move);
      const bool giving_back =
          loaded && !after && GivesBack(slot, text, written, match->move, written_as_is);
      slot.lines[line].written = written.index | (giving_back ? LineRef::kGivingBack : 0);
      after = match->move;
      if (!store_.moves_.FollowedOn(match->move)) break;
    }
    return after.has_value();
  }

  // Whether naming the move's old path again in the written line's form, as
  // undo will, gives back the loaded line `line` exactly. A line that led
  // exactly to the old path and is written as WritePlaylistEntry writes does
  // unless the written line gained a prefix (a "./" that undo would write
  // too); any other is written again to be compared.
  bool GivesBack(const Slot& slot, std::string_view line, const Written& written,
                 std::uint32_t move, bool written_as_is) const {
    const FileMoves& moves = store_.moves_;
    if (!moves.Number(move)) return false;
    if (written_as_is) return written.same_prefix;
    return EntryNaming(store_.WrittenText(written.index), moves.OldPath(move), slot.folder,
                       store_.separator_) == line;
  }

  // A relative line's text depends on its playlist's folder, so it is kept
  // for the playlist gone through; any other line's for the whole pass.
  Written& Memo(std::string_view prefix, EntryForm form, std::uint32_t move) {
    const std::uint32_t id = PrefixId(prefix);
    if (form == EntryForm::kRelative) return in_slot_[std::uint64_t{move} << 32 | id];
    if (id >= shared_.size()) shared_.resize(id + 1);
    if (shared_[id].empty()) shared_[id].resize(store_.moves_.size());
    return shared_[id][move];
  }

  Written Write(const Slot& slot, std::string_view line, EntryForm form, std::uint32_t move) {
    const std::string_view prefix = KeptPrefix(line, form, store_.separator_);
    Written& memo = Memo(prefix, form, move);
    if (memo.index != kNotYet) return memo;
    const FileMoves& moves = store_.moves_;
    std::string text =
        WritePlaylistEntry(line, form, moves.NewPath(move), slot.folder, store_.separator_);
    memo.same_prefix = KeptPrefix(text, form, store_.separator_) == prefix;
    memo.index = store_.AddWritten(text, moves.Number(move).value_or(WrittenTexts::kNoMove));
    return memo;
  }

  std::uint32_t PrefixId(std::string_view prefix) {
    for (std::size_t id = 0; id < prefixes_.size(); ++id) {
      if (prefixes_[id] == prefix) return static_cast<std::uint32_t>(id);
    }
    prefixes_.emplace_back(prefix);
    return static_cast<std::uint32_t>(prefixes_.size() - 1);
  }

  PlaylistStore& store_;
  const NamesOtherFile& names_other_file_;
  std::vector<std::string> prefixes_;
  // By kept prefix, then by move.
  std::vector<std::vector<Written>> shared_;
  // By move and kept prefix.
  std::unordered_map<std::uint64_t, Written> in_slot_;
  std::string scratch_;
};

int PlaylistStore::FollowMovedFiles(const NamesOtherFile& names_other_file,
                                    const SlotFollowed& followed) {
  if (moves_.empty()) {
    for (int slot = 1; followed && slot <= count_; ++slot) followed(slot);
    return 0;
  }
  const int rewritten = Follower(*this, names_other_file).FollowEveryLine(followed);
  moves_.ClearMoves();
  return rewritten;
}

}  // namespace quillfold
