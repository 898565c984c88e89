#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "organize/content_changes.h"
#include "organize/file_moves.h"
#include "organize/playlist_entry.h"
#include "organize/written_texts.h"
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
// finds each line in it by place; the lines written share one copy of each
// text written. Moves are gathered as the run makes them and followed in one
// pass over every line once they are made (FollowMovedFiles): a line is
// read as a path once, not once per move, and the playlists are gone
// through in order rather than by jumps from an index.
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
  // Whether the work on a playlist piece by piece (writing it, describing
  // its change) lets the front end in between the pieces
  // (SetBetweenPieces): only on the run's own thread.
  enum class HostCalls { kBetweenPieces, kNone };
  // The same content in pieces of about kPieceBytes, built as they are
  // written, so that a large playlist is never held twice.
  ContentPieces PlaylistPieces(int slot, HostCalls host_calls = HostCalls::kBetweenPieces) const;
  // What a journal keeps of the slot's replacement, from the content as
  // loaded to the content it is saved with.
  ContentChange PlaylistChange(int slot, HostCalls host_calls = HostCalls::kBetweenPieces) const;

  // Called between bounded pieces of the work on one playlist (reading it,
  // splitting it into lines, indexing its lines, describing its change for
  // the journal, writing it), so that a front end can take its events while
  // a very large playlist is handled. It must not throw: a file being
  // written may be in the middle of its content.
  void SetBetweenPieces(std::function<void()> between_pieces);
  const std::function<void()>& between_pieces() const { return between_pieces_; }
  bool PlaylistChanged(int slot) const { return At(slot).changed; }

  // Notes that the file at `old_path` now lies at `new_path` (full paths),
  // for FollowMovedFiles. `move`, the number of the move in the run's
  // journal, lets the journal's record of a line it rewrote be that number
  // rather than the old line (PlaylistChange). Once the moves take more
  // than a fair share of the playlists, only those that a line held may
  // follow are kept (FileMoves), so hold every playlist before the moves.
  void FileMoved(std::string_view old_path, std::string_view new_path,
                 std::optional<std::uint32_t> move = std::nullopt);

  // Rewrites every line of slots 1 to PlaylistCount that leads to the old
  // path of a file moved since the last call (compared apart from ASCII
  // letter case) to name where the file went, in its own form, as if each
  // move had been followed when it was made; marks each slot it changed and
  // returns the number of lines rewritten. A line that leads elsewhere than
  // an old path in letter case is kept when `names_other_file`, given the
  // full path the line leads to, says that path names a file of its own:
  // where letter case tells names apart, that is another file, and its line
  // must go on naming it. `followed`, when given, is called with each slot
  // in order once its lines are final, so that it may be saved (on another
  // thread) while the next ones are followed.
  using SlotFollowed = std::function<void(int slot)>;
  int FollowMovedFiles(const NamesOtherFile& names_other_file = {},
                       const SlotFollowed& followed = {});

 private:
  static constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  static constexpr std::size_t kPieceBytes = 1 << 20;
  static constexpr std::size_t kPieceLines = 1 << 15;
  // A line as loaded: `length` bytes at `offset` in its slot's text. A line
  // a move rewrote is the text WrittenText(WrittenIndex()) instead; kGivingBack
  // marks one that one move rewrote from the line as loaded, and that naming
  // the move's old path again in the line's own form gives back exactly.
  struct LineRef {
    static constexpr std::uint32_t kLoaded = 0xFFFFFFFF;
    static constexpr std::uint32_t kGivingBack = 0x80000000;
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t written = kLoaded;
    bool Written() const { return written != kLoaded; }
    std::uint32_t WrittenIndex() const { return written & ~kGivingBack; }
    bool GivingBack() const { return Written() && (written & kGivingBack) != 0; }
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
  class Follower;

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
  bool WriteContent(const Slot& slot, const PieceWriter& write, HostCalls host_calls) const;
  std::string_view WrittenText(std::uint32_t index) const;
  // Keeps `text` as the next written text; returns its index. Views of the
  // texts written before may no longer be valid after.
  std::uint32_t AddWritten(std::string_view text, std::uint32_t by);
  void BetweenPieces(std::size_t done) const;
  void Hold(int slot, std::string text, std::vector<LineRef> lines, std::vector<std::uint8_t> ends);
  // Notes every line that leads to a path in FileMoves' filter, which from
  // then on keeps only the moves these lines may follow.
  void NoteLines();

  std::string base_folder_;
  char separator_ = '/';
  std::function<void()> between_pieces_;
  std::vector<Slot> slots_;
  int count_ = 0;
  WrittenTexts written_;
  FileMoves moves_;
  std::size_t held_bytes_ = 0;  // of every slot's text
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
                  const PlaylistStore& store, int slot,
                  PlaylistStore::HostCalls host_calls = PlaylistStore::HostCalls::kBetweenPieces);

}  // namespace quillfold
