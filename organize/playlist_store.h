#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "organize/content_changes.h"
#include "organize/playlist_entry.h"
#include "platform/file_system.h"

namespace quillfold {

// The longest playlist line the run takes for a path or URI; a longer one
// is no playlist's.
inline constexpr std::size_t kMaxPlaylistLineLength = 1 << 20;

// The in-memory copy of the playlists found under the base folder in a run.
// Slots are numbered from 1. Storage grows only as playlists are named and
// loaded; no count of playlists or lines is limited but by memory.
//
// Lines are read as players read them (organize/playlist_entry.h): a line
// may name a file by absolute path, relative to its playlist's folder or by
// file URI, and a replaced line names the new place in the same form.
//
// Built for a million lines: a slot keeps its file's content as read and
// finds each line in it by place; the lines one replacement writes share one
// copy of each text written. An index from the path each line leads to,
// upper-cased, to where the line stands lets a moved file's old path find
// its lines without a scan of every line: one sorted array for the lines as
// loaded, built at the first replacement, and one entry per replacement for
// the lines it wrote.
class PlaylistStore {
 public:
  // Forgets every name, line and changed flag; PlaylistCount becomes 0.
  void Clear();

  // The base folder (ending in `separator`) the slots' names are relative
  // to, which relative lines lead from. Set it before naming slots.
  void SetBaseFolder(std::string base_folder, char separator);

  // The number of slots in use. Setting it keeps what the slots hold (a run
  // with playlist updating off sets 0 and leaves the rest alone); slots above
  // the old count start empty.
  void SetPlaylistCount(int count);
  int PlaylistCount() const { return count_; }

  // Slot `slot` (1 to PlaylistCount): the playlist's path relative to the
  // base folder, its lines without line ends, and whether a line of it was
  // replaced in this run.
  void SetPlaylistName(int slot, std::string name);
  const std::string& PlaylistName(int slot) const { return At(slot).name; }
  // Holds the lines of `content` (split as SplitPlaylistLines does) for
  // `slot`, replacing what it held. Content of 4 GiB or more throws RunError
  // kOutOfMemory naming the playlist; the slot then keeps what it held.
  void SetPlaylistContent(int slot, std::string content);
  // As SetPlaylistContent, for lines given one by one (saved with CR LF).
  void SetPlaylistLines(int slot, const std::vector<std::string>& lines);
  int PlaylistLineCount(int slot) const { return static_cast<int>(At(slot).lines.size()); }
  std::vector<std::string> PlaylistLines(int slot) const;
  // The content the slot is saved with: each line followed by CR LF; where
  // some line of the content as read ended at a LF alone, each line followed
  // by its own line end as read instead (none after a last line without).
  std::string PlaylistContent(int slot) const;
  // The same content in pieces of about kPieceBytes, built as they are
  // written, so that a large playlist is never held twice.
  ContentPieces PlaylistPieces(int slot) const;
  // What a journal keeps of the slot's replacement, from the content as
  // loaded to the content it is saved with.
  ContentChange PlaylistChange(int slot) const;

  // Called between bounded pieces of the work on one playlist (reading it,
  // splitting it into lines, indexing its lines, describing its change for
  // the journal, writing it), so that a front end can take its events while
  // a very large playlist is handled. It must not throw: a file being
  // written may be in the middle of its content.
  void SetBetweenPieces(std::function<void()> between_pieces);
  const std::function<void()>& between_pieces() const { return between_pieces_; }
  bool PlaylistChanged(int slot) const { return At(slot).changed; }
  // The content the slot was loaded with, byte for byte (for lines given one
  // by one, the lines joined without line ends).
  const std::string& LoadedContent(int slot) const { return At(slot).text; }

  // Lets go of the index that ReplaceMatchingLines keeps (a few bytes for
  // every line), once the run's moves are made and its playlists are about
  // to be recorded and written; a later replacement builds it again.
  void ReleaseIndex();

  // Rewrites every line of slots 1 to PlaylistCount that leads to
  // `old_path` (a full path, compared apart from ASCII letter case) to name
  // `new_path` in its own form, and marks each slot it changed. Returns the
  // number of lines replaced. A line that leads elsewhere than `old_path` in
  // letter case is kept when `names_other_file`, given the full path the
  // line leads to, says that path names a file of its own: where letter case
  // tells names apart, that is another file, and its line must go on naming
  // it. `move`, the number of the move in the run's journal, lets the
  // journal's record of a replaced line be that number rather than the old
  // line (PlaylistChange).
  int ReplaceMatchingLines(std::string_view old_path, std::string_view new_path,
                           const std::function<bool(const std::string&)>& names_other_file = {},
                           std::optional<std::uint32_t> move = std::nullopt);

 private:
  static constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  static constexpr std::size_t kPieceBytes = 1 << 20;
  static constexpr std::size_t kPieceLines = 1 << 15;
  // A line: `length` bytes at `offset` in its slot's text, or, when
  // `length` is kWritten, the text written_[offset].
  struct LineRef {
    static constexpr std::uint32_t kWritten = 0xFFFFFFFF;
    std::uint32_t offset;
    std::uint32_t length;
  };
  struct Slot {
    std::string name;
    std::string folder;  // the full path of the playlist's folder, ending in the separator
    std::string text;
    std::vector<LineRef> lines;
    std::vector<std::uint8_t> ends;  // each line's end as read: 0 none, else its length
    bool changed = false;
    bool byte_order_mark = false;  // the text starts with one
    bool own_line_ends = false;    // written back with `ends`, not CR LF
  };
  struct Position {
    int slot;  // 1-based
    std::uint32_t line;
  };
  struct IndexEntry {
    std::uint64_t key;  // CaseBlindHash of the path the line leads to
    Position position;
  };
  // The texts one replacement writes, each kept once.
  using Written = std::unordered_map<std::string, std::uint32_t>;
  // One call of ReplaceMatchingLines that replaced lines.
  struct Replacement {
    std::string old_path;
    std::optional<std::uint32_t> move;
  };

  const Slot& At(int slot) const;
  Slot& At(int slot);
  std::string_view Line(const Slot& slot, std::size_t line) const;
  std::string_view LineEnd(const Slot& slot, std::size_t line) const;
  // Calls `visit(line, end, old)` for each line of `slot` in order, with the
  // line end it is saved with and the bytes it and its end were loaded as;
  // stops at the first false and returns whether every line was visited.
  using SavedLineVisit =
      std::function<bool(std::string_view line, std::string_view end, std::string_view old)>;
  bool VisitSavedLines(const Slot& slot, const SavedLineVisit& visit) const;
  bool WriteContent(const Slot& slot, const PieceWriter& write) const;
  // The move whose number can stand for the old bytes `old` of a changed
  // line in the journal: the one that wrote the line, when naming its old
  // path again gives back exactly those bytes.
  std::optional<std::uint32_t> MoveGivingBack(const Slot& slot, LineRef ref, std::string_view line,
                                              std::string_view end, std::string_view old) const;
  void BetweenPieces(std::size_t done) const;
  void Hold(int slot, std::string text, std::vector<LineRef> lines, std::vector<std::uint8_t> ends);
  void BuildIndex();
  // Points the line at `position` to the text naming `new_path` in its
  // form when it still leads to `old_path`.
  bool ReplaceIfMatching(const Position& position, std::string_view old_path,
                         std::string_view new_path, Written& written,
                         const std::function<bool(const std::string&)>& names_other_file);

  std::string base_folder_;
  char separator_ = '/';
  std::function<void()> between_pieces_;
  std::vector<Slot> slots_;
  int count_ = 0;
  // The texts that replacements wrote, the replacement that wrote each and
  // the form it is written in.
  std::vector<std::string> written_;
  std::vector<std::uint32_t> written_by_;
  std::vector<EntryForm> written_forms_;
  std::vector<Replacement> replacements_;
  // Every line that leads to a path, as held when the index was built,
  // sorted by key; stale once lines are loaded after it, until the next
  // replacement rebuilds it.
  std::vector<IndexEntry> index_;
  bool index_stale_ = true;
  // The lines each replacement wrote, by the key of the path written.
  std::unordered_map<std::uint64_t, std::vector<Position>> replaced_;
};

// Reads the playlist of `slot` (base_folder + its name) into the store and
// returns an empty text; or, for a playlist the run cannot make sense of,
// holds no lines for it (so it is never written) and returns why: it is not
// a text file (it holds a NUL byte), a line of it is longer than
// kMaxPlaylistLineLength, or it is 4 GiB or larger. Throws RunError when the
// file cannot be read.
std::string LoadPlaylist(FileSystem& file_system, const std::string& base_folder,
                         PlaylistStore& store, int slot);

// Writes the content of `slot` (PlaylistPieces) back to its file. The file
// is replaced atomically: on failure RunError is thrown and the old file
// stays whole.
void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot);

}  // namespace quillfold
