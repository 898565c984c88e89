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
// loaded; the capacity (1,000 playlists of 10,000 lines each) is a limit, not
// an allocation. An index from each line, upper-cased, to where it stands
// lets a moved file's old path find its lines without a scan of every line:
// one sorted array for the lines as loaded, built once at the first
// replacement, and one entry per replacement for the lines it wrote, so that
// a million lines cost a few flat arrays rather than a million allocations.
class PlaylistStore {
 public:
  static constexpr int kMaxPlaylists = 1000;
  static constexpr int kMaxLinesPerPlaylist = 10000;

  // Forgets every name, line and changed flag; PlaylistCount becomes 0.
  void Clear();

  // The number of slots in use. Setting it keeps what the slots hold (a run
  // with playlist updating off sets 0 and leaves the rest alone); slots above
  // the old count start empty. More than 1,000 throws RunError
  // kSubscriptOutOfRange and changes nothing.
  void SetPlaylistCount(int count);
  int PlaylistCount() const { return count_; }

  // Slot `slot` (1 to PlaylistCount): the playlist's path relative to the
  // base folder, its lines without line ends, and whether a line of it was
  // replaced in this run.
  void SetPlaylistName(int slot, std::string name);
  const std::string& PlaylistName(int slot) const { return At(slot).name; }
  // Holds `lines` for `slot`, replacing what it held. More than 10,000 lines
  // throw RunError kSubscriptOutOfRange naming the playlist; the slot keeps
  // what it held before.
  void SetPlaylistLines(int slot, std::vector<std::string> lines);
  int PlaylistLineCount(int slot) const { return static_cast<int>(At(slot).lines.size()); }
  const std::vector<std::string>& PlaylistLines(int slot) const { return At(slot).lines; }
  bool PlaylistChanged(int slot) const { return At(slot).changed; }

  // Replaces every line of slots 1 to PlaylistCount that equals `old_path`
  // apart from ASCII letter case by `new_path` exactly, and marks each slot
  // it changed. Returns the number of lines replaced. A line that differs
  // from `old_path` in letter case is kept when `names_other_file` says it
  // names a file of its own: where letter case tells names apart, that is
  // another file, and its line must go on naming it.
  int ReplaceMatchingLines(std::string_view old_path, const std::string& new_path,
                           const std::function<bool(const std::string&)>& names_other_file = {});

 private:
  struct Slot {
    std::string name;
    std::vector<std::string> lines;
    bool changed = false;
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
  void BuildIndex();
  // Replaces the line at `position` when it still matches `old_path`.
  bool ReplaceIfMatching(const Position& position, std::string_view old_path,
                         const std::string& new_path,
                         const std::function<bool(const std::string&)>& names_other_file);

  std::vector<Slot> slots_;
  int count_ = 0;
  // Every line as held when the index was built, sorted by key; empty and
  // stale once lines are loaded after it, until the next replacement.
  std::vector<IndexEntry> index_;
  bool index_stale_ = true;
  // The lines each replacement wrote, by the key of the text written.
  std::unordered_map<std::uint64_t, std::vector<Position>> replaced_;
};

// Reads the playlist of `slot` (base_folder + its name) into the store.
// Throws RunError when the file cannot be read or holds too many lines.
void LoadPlaylist(FileSystem& file_system, const std::string& base_folder, PlaylistStore& store,
                  int slot);

// Writes the lines of `slot` back to its file, each followed by CR LF. The
// file is replaced atomically: on failure RunError is thrown and the old file
// stays whole.
void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot);

}  // namespace quillfold
