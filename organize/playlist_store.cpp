#include "organize/playlist_store.h"

#include <algorithm>
#include <utility>

#include "errors/run_error.h"
#include "organize/playlist_entry.h"
#include "organize/playlist_lines.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;

// FNV-1a of the text upper-cased in ASCII, so that texts equal apart from
// letter case share a key without an upper-cased copy of either. `hash`
// carries on from a text before it.
std::uint64_t CaseBlindHash(std::string_view text, std::uint64_t hash = kFnvOffset) {
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(AsciiUpper(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

std::uint64_t KeyOf(const EntryTarget& target) {
  return CaseBlindHash(target.tail, CaseBlindHash(target.head));
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

// Orders index entries by their key.
constexpr auto kByKey = [](const auto& a, const auto& b) { return a.key < b.key; };

// Line ends by their code in Slot::ends: its length, and 3 for a lone LF.
constexpr std::string_view kLineEnds[] = {"", "\r", "\r\n", "\n"};

std::uint8_t LineEndCode(std::string_view end) {
  return end == "\n" ? 3 : static_cast<std::uint8_t>(end.size());
}

}  // namespace

void PlaylistStore::Clear() {
  slots_.clear();
  written_ = {};
  written_by_ = {};
  written_forms_ = {};
  replacements_ = {};
  index_ = {};
  replaced_ = {};
  index_stale_ = true;
  count_ = 0;
}

void PlaylistStore::SetBaseFolder(std::string base_folder, char separator) {
  base_folder_ = std::move(base_folder);
  separator_ = separator;
}

void PlaylistStore::SetPlaylistCount(int count) {
  if (static_cast<std::size_t>(count) > slots_.size()) slots_.resize(count);
  count_ = count;
}

void PlaylistStore::SetPlaylistName(int slot, std::string name) {
  Slot& held = At(slot);
  held.folder = base_folder_ + name.substr(0, name.rfind(separator_) + 1);
  held.name = std::move(name);
  index_stale_ = true;
}

void PlaylistStore::SetPlaylistContent(int slot, std::string content) {
  // A UTF-8 byte-order mark is no part of the first line's path; it is
  // kept for the file when the playlist is written.
  const bool marked = std::string_view(content).starts_with(kUtf8ByteOrderMark);
  const std::size_t skipped = marked ? kUtf8ByteOrderMark.size() : 0;
  const std::string_view text = std::string_view(content).substr(skipped);
  std::vector<LineRef> lines;
  std::vector<std::uint8_t> ends;
  ForEachPlaylistLine(text, [&](const LineSpan& span) {
    lines.push_back({static_cast<std::uint32_t>(span.offset + skipped),
                     static_cast<std::uint32_t>(span.length)});
    ends.push_back(LineEndCode(text.substr(span.offset + span.length, span.end_length)));
    BetweenPieces(lines.size());
  });
  const bool own_line_ends = HasLfOnlyLineEnd(text);
  Hold(slot, std::move(content), std::move(lines), std::move(ends));
  At(slot).byte_order_mark = marked;
  At(slot).own_line_ends = own_line_ends;
}

void PlaylistStore::SetPlaylistLines(int slot, const std::vector<std::string>& lines) {
  std::string text;
  std::vector<LineRef> refs;
  for (const std::string& line : lines) {
    refs.push_back(
        {static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(line.size())});
    text += line;
    text += "\r\n";
  }
  Hold(slot, std::move(text), std::move(refs), std::vector<std::uint8_t>(lines.size(), 2));
}

void PlaylistStore::Hold(int slot, std::string text, std::vector<LineRef> lines,
                         std::vector<std::uint8_t> ends) {
  Slot& held = At(slot);
  // Offsets are 32-bit, and the largest length marks a written line.
  if (text.size() >= LineRef::kWritten) {
    throw RunError(ErrorNumber::kOutOfMemory,
                   "Out of memory (playlist \"" + held.name + "\" is 4 GiB or larger)");
  }
  held.text = std::move(text);
  held.lines = std::move(lines);
  held.ends = std::move(ends);
  held.byte_order_mark = false;
  held.own_line_ends = false;
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
  std::string content;
  WriteContent(At(slot), [&](std::string_view piece) {
    content += piece;
    return true;
  });
  return content;
}

ContentPieces PlaylistStore::PlaylistPieces(int slot) const {
  const Slot& held = At(slot);
  std::size_t size = held.byte_order_mark ? kUtf8ByteOrderMark.size() : 0;
  VisitSavedLines(held, [&](std::string_view line, std::string_view end, std::string_view) {
    size += line.size() + end.size();
    return true;
  });
  return {size, [this, &held](const PieceWriter& write) { return WriteContent(held, write); }};
}

// Line by line, with the changed lines next to each other made one stretch
// (of old bytes, or of moves where each line's move gives it back): a
// playlist whose every line was rewritten is recorded as one stretch, not a
// million.
ContentChange PlaylistStore::PlaylistChange(int slot) const {
  const Slot& held = At(slot);
  const std::string_view mark = held.byte_order_mark ? kUtf8ByteOrderMark : "";
  ContentChange change{mark.size(), ContentHash(mark), {}};
  ChangeRecorder recorder(mark.size());
  std::size_t lines = 0;
  VisitSavedLines(held, [&](std::string_view line, std::string_view end, std::string_view old) {
    const LineRef ref = held.lines[lines];
    BetweenPieces(++lines);
    change.new_hash = ContentHash(end, ContentHash(line, change.new_hash));
    const std::size_t length = line.size() + end.size();
    change.new_size += length;
    if (old.size() == length && old.starts_with(line) && old.ends_with(end)) {
      recorder.Unchanged(length);
    } else if (const auto move = MoveGivingBack(held, ref, line, end, old)) {
      recorder.RewrittenBy(*move, length);
    } else {
      recorder.Replaced(old, length);
    }
    return true;
  });
  change.stretches = recorder.TakeStretches();
  return change;
}

std::optional<std::uint32_t> PlaylistStore::MoveGivingBack(const Slot& slot, LineRef ref,
                                                           std::string_view line,
                                                           std::string_view end,
                                                           std::string_view old) const {
  if (ref.length != LineRef::kWritten || !old.ends_with(end)) return std::nullopt;
  const Replacement& replacement = replacements_[written_by_[ref.offset]];
  if (!replacement.move) return std::nullopt;
  const std::string named_again = WritePlaylistEntry(line, written_forms_[ref.offset],
                                                     replacement.old_path, slot.folder, separator_);
  if (old.substr(0, old.size() - end.size()) != named_again) return std::nullopt;
  return replacement.move;
}

void PlaylistStore::SetBetweenPieces(std::function<void()> between_pieces) {
  between_pieces_ = std::move(between_pieces);
}

// A line that was replaced no longer points into the text it was loaded
// from; it stood from where the line before it ended to its first line end.
bool PlaylistStore::VisitSavedLines(const Slot& slot, const SavedLineVisit& visit) const {
  const std::string_view text = slot.text;
  std::size_t old_at = slot.byte_order_mark ? kUtf8ByteOrderMark.size() : 0;
  for (std::size_t line = 0; line < slot.lines.size(); ++line) {
    const LineRef ref = slot.lines[line];
    const std::size_t length =
        ref.length == LineRef::kWritten ? NextLineEnd(text, old_at) - old_at : ref.length;
    const std::string_view end = LineEnd(slot, line);
    const std::string_view old = text.substr(old_at, length + end.size());
    old_at += old.size();
    if (!visit(Line(slot, line), slot.own_line_ends ? end : "\r\n", old)) return false;
  }
  return true;
}

bool PlaylistStore::WriteContent(const Slot& slot, const PieceWriter& write) const {
  std::string piece(slot.byte_order_mark ? kUtf8ByteOrderMark : "");
  piece.reserve(kPieceBytes + kMaxPlaylistLineLength + 2);
  const bool whole =
      VisitSavedLines(slot, [&](std::string_view line, std::string_view end, std::string_view) {
        piece += line;
        piece += end;
        if (piece.size() < kPieceBytes) return true;
        if (!write(piece)) return false;
        piece.clear();
        if (between_pieces_) between_pieces_();
        return true;
      });
  return whole && (piece.empty() || write(piece));
}

void PlaylistStore::BetweenPieces(std::size_t done) const {
  if (between_pieces_ && done % kPieceLines == 0) between_pieces_();
}

void PlaylistStore::ReleaseIndex() {
  index_ = {};
  replaced_ = {};
  index_stale_ = true;
}

int PlaylistStore::ReplaceMatchingLines(
    std::string_view old_path, std::string_view new_path,
    const std::function<bool(const std::string&)>& names_other_file,
    std::optional<std::uint32_t> move) {
  if (index_stale_) BuildIndex();
  const std::uint64_t key = CaseBlindHash(old_path);
  Written written;
  std::vector<Position> replaced;
  const auto consider = [&](const Position& position) {
    if (ReplaceIfMatching(position, old_path, new_path, written, names_other_file)) {
      replaced.push_back(position);
    }
  };
  const auto [first, last] =
      std::equal_range(index_.begin(), index_.end(), IndexEntry{key, {}}, kByKey);
  std::for_each(first, last, [&](const IndexEntry& entry) { consider(entry.position); });
  if (const auto found = replaced_.find(key); found != replaced_.end()) {
    std::for_each(found->second.begin(), found->second.end(), consider);
  }
  if (replaced.empty()) return 0;
  replacements_.push_back({std::string(old_path), move});
  std::vector<Position>& now_there = replaced_[CaseBlindHash(new_path)];
  now_there.insert(now_there.end(), replaced.begin(), replaced.end());
  return static_cast<int>(replaced.size());
}

// Each candidate is read again as it stands now: an entry made for an
// earlier text of the line never matches by mistake, and a line met twice is
// replaced once.
bool PlaylistStore::ReplaceIfMatching(
    const Position& position, std::string_view old_path, std::string_view new_path,
    Written& written, const std::function<bool(const std::string&)>& names_other_file) {
  if (position.slot > count_) return false;
  Slot& held = At(position.slot);
  const std::string_view line = Line(held, position.line);
  std::string scratch;
  const EntryTarget target = ReadPlaylistEntry(line, held.folder, separator_, scratch);
  if (target.form == EntryForm::kNone) return false;
  const bool matches =
      LeadsTo(target, old_path, false) ||
      (LeadsTo(target, old_path, true) && !(names_other_file && names_other_file(target.Path())));
  if (!matches) return false;
  std::string text = WritePlaylistEntry(line, target.form, new_path, held.folder, separator_);
  const auto [kept, added] =
      written.try_emplace(std::move(text), static_cast<std::uint32_t>(written_.size()));
  if (added) {
    written_.push_back(kept->first);
    written_by_.push_back(static_cast<std::uint32_t>(replacements_.size()));
    written_forms_.push_back(target.form);
  }
  held.lines[position.line] = {kept->second, LineRef::kWritten};
  held.changed = true;
  return true;
}

std::string_view PlaylistStore::Line(const Slot& slot, std::size_t line) const {
  const LineRef ref = slot.lines[line];
  if (ref.length == LineRef::kWritten) return written_[ref.offset];
  return std::string_view(slot.text).substr(ref.offset, ref.length);
}

std::string_view PlaylistStore::LineEnd(const Slot& slot, std::size_t line) const {
  return kLineEnds[slot.ends[line]];
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

// Only lines that lead to a path are indexed: comments and URLs are never
// replaced.
void PlaylistStore::BuildIndex() {
  index_.clear();
  replaced_.clear();
  std::string scratch;
  for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
    const Slot& held = slots_[slot];
    for (std::size_t line = 0; line < held.lines.size(); ++line) {
      const EntryTarget target =
          ReadPlaylistEntry(Line(held, line), held.folder, separator_, scratch);
      if (target.form == EntryForm::kNone) continue;
      index_.push_back(
          {KeyOf(target), {static_cast<int>(slot + 1), static_cast<std::uint32_t>(line)}});
      BetweenPieces(index_.size());
    }
  }
  index_.shrink_to_fit();
  std::sort(index_.begin(), index_.end(), kByKey);
  index_stale_ = false;
}

std::string LoadPlaylist(FileSystem& file_system, const std::string& base_folder,
                         PlaylistStore& store, int slot) {
  std::string content = file_system.ReadTextFileInPieces(base_folder + store.PlaylistName(slot),
                                                         store.between_pieces());
  std::string why;
  if (content.find('\0') != std::string::npos) {
    why = "it is not a text file";
  } else if (content.size() >= 0xFFFFFFFF) {
    why = "it is 4 GiB or larger";
  } else if (content.size() > kMaxPlaylistLineLength) {
    // Only content this long can hold a line this long.
    ForEachPlaylistLine(content, [&](const LineSpan& span) {
      if (span.length > kMaxPlaylistLineLength) why = "a line of it is longer than 1 MiB";
    });
  }
  store.SetPlaylistContent(slot, why.empty() ? std::move(content) : std::string());
  return why;
}

void SavePlaylist(FileSystem& file_system, const std::string& base_folder,
                  const PlaylistStore& store, int slot) {
  file_system.ReplaceTextFileInPieces(base_folder + store.PlaylistName(slot),
                                      store.PlaylistPieces(slot));
}

}  // namespace quillfold
