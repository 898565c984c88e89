#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"

namespace quillfold {

// The in-memory copy of the playlists found under the base folder in a run.
// Slots are numbered from 1. Storage grows only as playlists are named and
// loaded; no count of playlists or lines is limited but by memory.
//
// Built for a million lines: a slot keeps its file's content as read and
// finds each line in it by place; the lines one replacement writes all share
// one copy of the new path. An index from each line, upper-cased, to where
// it stands lets a moved file's old path find its lines without a scan of
// every line: one sorted array for the lines as loaded, built at the first
// replacement, and one entry per replacement for the lines it wrote.
class PlaylistStore {
 public:
  // Forgets every name, line and changed flag; PlaylistCount becomes 0.
  void Clear();

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
  // As SetPlaylistContent, for lines given one by one.
  void SetPlaylistLines(int slot, const std::vector<std::string>& lines);
  int PlaylistLineCount(int slot) const { return static_cast<int>(At(slot).lines.size()); }
  std::vector<std::string> PlaylistLines(int slot) const;
  // The slot's lines, each followed by CR LF: the content it is saved with.
  std::string PlaylistContent(int slot) const;
  bool PlaylistChanged(int slot) const { return At(slot).changed; }
  // The content the slot was loaded with, byte for byte (for lines given one
  // by one, the lines joined without line ends).
  const std::string& LoadedContent(int slot) const { return At(slot).text; }

  // Replaces every line of slots 1 to PlaylistCount that equals `old_path`
  // apart from ASCII letter case by `new_path` exactly, and marks each slot
  // it changed. Returns the number of lines replaced. A line that differs
  // from `old_path` in letter case is kept when `names_other_file` says it
  // names a file of its own: where letter case tells names apart, that is
  // another file, and its line must go on naming it.
  int ReplaceMatchingLines(std::string_view old_path, const std::string& new_path,
                           const std::function<bool(const std::string&)>& names_other_file = {});

 private:
  static constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  // A line: `length` bytes at `offset` in its slot's text, or, when
  // `length` is kWritten, the text written_[offset].
  struct LineRef {
    static constexpr std::uint32_t kWritten = 0xFFFFFFFF;
    std::uint32_t offset;
    std::uint32_t length;
  };
  struct Slot {
    std::string name;
    std::string text;
    std::vector<LineRef> lines;
    bool changed = false;
    bool byte_order_mark = false;  // the text starts with one
  };
  struct Position {
    int slot;  // 1-based
    std::uint32_t line;
  };
  struct IndexEntry {
    std::uint64_t key;  // CaseBlindHash of the line
    Position position;
  };

  const Slot& At(int slot) const;
  Slot& At(int slot);
  std::string_view Line(const Slot& slot, std::size_t line) const;
  void Hold(int slot, std::string text, std::vector<LineRef> lines);
  void BuildIndex();
  // Points the line at `position` to written_[written] when it still
  // matches `old_path`.
  bool ReplaceIfMatching(const Position& position, std::string_view old_path, std::uint32_t written,
                         const std::function<bool(const std::string&)>& names_other_file);

  std::vector<Slot> slots_;
  int count_ = 0;
  // The new paths that replacements wrote, one per replacement.
  std::vector<std::string> written_;
  // Every line as held when the index was built, sorted by key; stale once
  // lines are loaded after it, until the next replacement rebuilds it.
  std::vector<IndexEntry> index_;
  bool index_stale_ = true;
  // The lines each replacement wrote, by the key of the text written.
  std::unordered_map<std::uint64_t, std::vector<Position>> replaced_;
};

// Reads the playlist of `slot` (base_folder + its name) into the store.
// Throws RunError when the file cannot be read or is 4 GiB or larger.
void LoadPlaylist(FileSystem& file_system, const std::string& base_folder, PlaylistStore& store,
                  int slot);

// Writes the lines of `slot` back to its file, each followed by CR LF. The
// file is replaced atomically: on failure RunError is thrown and the old file
// stays whole.
void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot);

}  // namespace quillfold
