#include "organize/playlist_store.h"

#include <utility>

#include "errors/run_error.h"
#include "organize/playlist_lines.h"
#include "tags/ascii.h"

namespace quillfold {
namespace {

// FNV-1a of the text upper-cased in ASCII, so that texts equal apart from
// letter case share a key without an upper-cased copy of either.
std::uint64_t CaseBlindHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(AsciiUpper(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

void PlaylistStore::Clear() {
  slots_.clear();
  index_.clear();
  count_ = 0;
}

void PlaylistStore::SetPlaylistCount(int count) {
  if (count > kMaxPlaylists) {
    throw RunError(ErrorNumber::kSubscriptOutOfRange,
                   "Subscript out of range (" + std::to_string(count) +
                       " playlists found; at most 1,000 can be updated)");
  }
  if (static_cast<std::size_t>(count) > slots_.size()) slots_.resize(count);
  count_ = count;
}

void PlaylistStore::SetPlaylistName(int slot, std::string name) { At(slot).name = std::move(name); }

void PlaylistStore::SetPlaylistLines(int slot, std::vector<std::string> lines) {
  if (lines.size() > static_cast<std::size_t>(kMaxLinesPerPlaylist)) {
    throw RunError(ErrorNumber::kSubscriptOutOfRange,
                   "Subscript out of range (playlist \"" + At(slot).name + "\" has " +
                       std::to_string(lines.size()) + " lines; at most 10,000 can be held)");
  }
  Slot& held = At(slot);
  const bool held_lines = !held.lines.empty();
  held.lines = std::move(lines);
  // A run loads each slot once after Clear; loading a slot again is rare
  // enough to pay for a whole new index.
  if (held_lines) {
    RebuildIndex();
  } else {
    IndexLines(slot);
  }
}

int PlaylistStore::ReplaceMatchingLines(
    std::string_view old_path, const std::string& new_path,
    const std::function<bool(const std::string&)>& names_other_file) {
  const auto matches_old_path = [&](const std::string& line) {
    if (line == old_path) return true;
    return EqualsIgnoringAsciiCase(line, old_path) && !(names_other_file && names_other_file(line));
  };
  std::vector<Position> matches;
  auto [it, end] = index_.equal_range(CaseBlindHash(old_path));
  while (it != end) {
    const Position position = it->second;
    if (position.slot <= count_ && matches_old_path(At(position.slot).lines[position.line])) {
      matches.push_back(position);
      it = index_.erase(it);
    } else {
      ++it;
    }
  }
  const std::uint64_t new_key = CaseBlindHash(new_path);
  for (const Position& position : matches) {
    Slot& slot = At(position.slot);
    slot.lines[position.line] = new_path;
    slot.changed = true;
    index_.emplace(new_key, position);
  }
  return static_cast<int>(matches.size());
}

const PlaylistStore::Slot& PlaylistStore::At(int slot) const {
  if (slot < 1 || static_cast<std::size_t>(slot) > slots_.size()) {
    throw RunError(ErrorNumber::kSubscriptOutOfRange,
                   "Subscript out of range (playlist slot " + std::to_string(slot) + ")");
  }
  return slots_[static_cast<std::size_t>(slot - 1)];
}

PlaylistStore::Slot& PlaylistStore::At(int slot) {
  return const_cast<Slot&>(std::as_const(*this).At(slot));
}

void PlaylistStore::RebuildIndex() {
  index_.clear();
  for (int slot = 1; static_cast<std::size_t>(slot) <= slots_.size(); ++slot) IndexLines(slot);
}

void PlaylistStore::IndexLines(int slot) {
  const Slot& held = At(slot);
  for (std::size_t line = 0; line < held.lines.size(); ++line) {
    index_.emplace(CaseBlindHash(held.lines[line]), Position{slot, line});
  }
}

void LoadPlaylist(FileSystem& file_system, const std::string& base_folder, PlaylistStore& store,
                  int slot) {
  const std::string path = base_folder + store.PlaylistName(slot);
  store.SetPlaylistLines(slot, SplitPlaylistLines(file_system.ReadTextFile(path)));
}

void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot) {
  file_system.ReplaceTextFile(base_folder + store.PlaylistName(slot),
                              JoinPlaylistLines(store.PlaylistLines(slot)));
}

}  // namespace quillfold
