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
  written_ = {};
  index_ = {};
  replaced_ = {};
  index_stale_ = true;
  count_ = 0;
}

void PlaylistStore::SetPlaylistCount(int count) {
  if (static_cast<std::size_t>(count) > slots_.size()) slots_.resize(count);
  count_ = count;
}

void PlaylistStore::SetPlaylistName(int slot, std::string name) { At(slot).name = std::move(name); }

void PlaylistStore::SetPlaylistContent(int slot, std::string content) {
  // A UTF-8 byte-order mark is no part of the first line's path; it is
  // kept for the file when the playlist is written.
  const bool marked = std::string_view(content).starts_with(kUtf8ByteOrderMark);
  const std::size_t skipped = marked ? kUtf8ByteOrderMark.size() : 0;
  const std::vector<LineSpan> spans = FindPlaylistLines(std::string_view(content).substr(skipped));
  std::vector<LineRef> lines;
  lines.reserve(spans.size());
  for (const LineSpan& span : spans) {
    lines.push_back({static_cast<std::uint32_t>(span.offset + skipped),
                     static_cast<std::uint32_t>(span.length)});
  }
  Hold(slot, std::move(content), std::move(lines));
  At(slot).byte_order_mark = marked;
}

void PlaylistStore::SetPlaylistLines(int slot, const std::vector<std::string>& lines) {
  std::string text;
  std::vector<LineRef> refs;
  for (const std::string& line : lines) {
    refs.push_back(
        {static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(line.size())});
    text += line;
  }
  Hold(slot, std::move(text), std::move(refs));
}

void PlaylistStore::Hold(int slot, std::string text, std::vector<LineRef> lines) {
  Slot& held = At(slot);
  // Offsets are 32-bit, and the largest length marks a written line.
  if (text.size() >= LineRef::kWritten) {
    throw RunError(ErrorNumber::kOutOfMemory,
                   "Out of memory (playlist \"" + held.name + "\" is 4 GiB or larger)");
  }
  held.text = std::move(text);
  held.lines = std::move(lines);
  held.byte_order_mark = false;
  index_stale_ = true;
}

std::vector<std::string> PlaylistStore::PlaylistLines(int slot) const {
  const Slot& held = At(slot);
  std::vector<std::string> lines;
  for (std::size_t line = 0; line < held.lines.size(); ++line) {
    lines.emplace_back(Line(held, line));
  }
  return lines;
}

std::string PlaylistStore::PlaylistContent(int slot) const {
  const Slot& held = At(slot);
  std::string content(held.byte_order_mark ? kUtf8ByteOrderMark : "");
  content.reserve(held.text.size() + 2 * held.lines.size());
  for (std::size_t line = 0; line < held.lines.size(); ++line) {
    content += Line(held, line);
    content += "\r\n";
  }
  return content;
}

int PlaylistStore::ReplaceMatchingLines(
    std::string_view old_path, const std::string& new_path,
    const std::function<bool(const std::string&)>& names_other_file) {
  if (index_stale_) BuildIndex();
  const std::uint64_t key = CaseBlindHash(old_path);
  const auto written = static_cast<std::uint32_t>(written_.size());
  written_.push_back(new_path);
  std::vector<Position> replaced;
  const auto consider = [&](const Position& position) {
    if (ReplaceIfMatching(position, old_path, written, names_other_file)) {
      replaced.push_back(position);
    }
  };
  const auto [first, last] =
      std::equal_range(index_.begin(), index_.end(), IndexEntry{key, {}}, kByKey);
  std::for_each(first, last, [&](const IndexEntry& entry) { consider(entry.position); });
  if (const auto found = replaced_.find(key); found != replaced_.end()) {
    std::for_each(found->second.begin(), found->second.end(), consider);
  }
  if (replaced.empty()) {
    written_.pop_back();
    return 0;
  }
  std::vector<Position>& now_there = replaced_[CaseBlindHash(new_path)];
  now_there.insert(now_there.end(), replaced.begin(), replaced.end());
  return static_cast<int>(replaced.size());
}

// Each candidate is checked against the line it now holds: an entry made
// for an earlier text of the line never matches by mistake, and a line met
// twice is replaced once.
bool PlaylistStore::ReplaceIfMatching(
    const Position& position, std::string_view old_path, std::uint32_t written,
    const std::function<bool(const std::string&)>& names_other_file) {
  if (position.slot > count_) return false;
  Slot& held = At(position.slot);
  const std::string_view line = Line(held, position.line);
  const bool matches =
      line == old_path || (EqualsIgnoringAsciiCase(line, old_path) &&
                           !(names_other_file && names_other_file(std::string(line))));
  if (!matches) return false;
  held.lines[position.line] = {written, LineRef::kWritten};
  held.changed = true;
  return true;
}

std::string_view PlaylistStore::Line(const Slot& slot, std::size_t line) const {
  const LineRef ref = slot.lines[line];
  if (ref.length == LineRef::kWritten) return written_[ref.offset];
  return std::string_view(slot.text).substr(ref.offset, ref.length);
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
    for (std::size_t line = 0; line < slots_[slot].lines.size(); ++line) {
      index_.push_back({CaseBlindHash(Line(slots_[slot], line)),
                        {static_cast<int>(slot + 1), static_cast<std::uint32_t>(line)}});
    }
  }
  std::sort(index_.begin(), index_.end(), kByKey);
  index_stale_ = false;
}

void LoadPlaylist(FileSystem& file_system, const std::string& base_folder, PlaylistStore& store,
                  int slot) {
  const std::string path = base_folder + store.PlaylistName(slot);
  store.SetPlaylistContent(slot, file_system.ReadTextFile(path));
}

void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot) {
  file_system.ReplaceTextFile(base_folder + store.PlaylistName(slot), store.PlaylistContent(slot));
}

}  // namespace quillfold
