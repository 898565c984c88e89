#include "organize/playlist_store.h"

#include <algorithm>
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

// Orders index entries by their key.
constexpr auto kByKey = [](const auto& a, const auto& b) { return a.key < b.key; };

}  // namespace

void PlaylistStore::Clear() {
  slots_.clear();
  index_ = {};
  replaced_ = {};
  index_stale_ = true;
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
  At(slot).lines = std::move(lines);
  index_stale_ = true;
}

int PlaylistStore::ReplaceMatchingLines(
    std::string_view old_path, const std::string& new_path,
    const std::function<bool(const std::string&)>& names_other_file) {
  if (index_stale_) BuildIndex();
  const std::uint64_t key = CaseBlindHash(old_path);
  std::vector<Position> written;
  const auto consider = [&](const Position& position) {
    if (ReplaceIfMatching(position, old_path, new_path, names_other_file)) {
      written.push_back(position);
    }
  };
  const auto [first, last] =
      std::equal_range(index_.begin(), index_.end(), IndexEntry{key, {}}, kByKey);
  std::for_each(first, last, [&](const IndexEntry& entry) { consider(entry.position); });
  if (const auto found = replaced_.find(key); found != replaced_.end()) {
    std::for_each(found->second.begin(), found->second.end(), consider);
  }
  if (!written.empty()) {
    std::vector<Position>& now_there = replaced_[CaseBlindHash(new_path)];
    now_there.insert(now_there.end(), written.begin(), written.end());
  }
  return static_cast<int>(written.size());
}

// Each candidate is checked against the line it now holds: an entry made
// for an earlier text of the line never matches by mistake, and a line met
// twice is replaced once.
bool PlaylistStore::ReplaceIfMatching(
    const Position& position, std::string_view old_path, const std::string& new_path,
    const std::function<bool(const std::string&)>& names_other_file) {
  if (position.slot > count_) return false;
  Slot& held = At(position.slot);
  std::string& line = held.lines[position.line];
  const bool matches = line == old_path || (EqualsIgnoringAsciiCase(line, old_path) &&
                                            !(names_other_file && names_other_file(line)));
  if (!matches) return false;
  line = new_path;
  held.changed = true;
  return true;
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

void PlaylistStore::BuildIndex() {
  std::size_t total = 0;
  for (const Slot& held : slots_) total += held.lines.size();
  index_.clear();
  index_.reserve(total);
  replaced_.clear();
  for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
    const std::vector<std::string>& lines = slots_[slot].lines;
    for (std::size_t line = 0; line < lines.size(); ++line) {
      index_.push_back({CaseBlindHash(lines[line]),
                        {static_cast<int>(slot + 1), static_cast<std::uint32_t>(line)}});
    }
  }
  std::sort(index_.begin(), index_.end(), kByKey);
  index_stale_ = false;
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
