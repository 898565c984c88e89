#include "organize/playlist_store.h"

#include <algorithm>
#include <utility>

#include "errors/run_error.h"
#include "organize/playlist_entry.h"
#include "organize/playlist_lines.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// Line ends by their code in Slot::ends: its length, and 3 for a lone LF.
constexpr std::string_view kLineEnds[] = {"", "\r", "\r\n", "\n"};

std::uint8_t LineEndCode(std::string_view end) {
  return end == "\n" ? 3 : static_cast<std::uint8_t>(end.size());
}

}  // namespace

void PlaylistStore::Clear() {
  slots_.clear();
  written_.Clear();
  moves_.Clear();
  held_bytes_ = 0;
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
  moves_.StopNoting();
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
  // Offsets are 32-bit.
  if (text.size() >= 0xFFFFFFFF) {
    throw RunError(ErrorNumber::kOutOfMemory,
                   "Out of memory (playlist \"" + held.name + "\" is 4 GiB or larger)");
  }
  held_bytes_ = held_bytes_ - held.text.size() + text.size();
  held.text = std::move(text);
  held.lines = std::move(lines);
  held.ends = std::move(ends);
  held.byte_order_mark = false;
  held.own_line_ends = false;
  moves_.StopNoting();
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
  WriteContent(
      At(slot),
      [&](std::string_view piece) {
        content += piece;
        return true;
      },
      HostCalls::kBetweenPieces);
  return content;
}

ContentPieces PlaylistStore::PlaylistPieces(int slot, HostCalls host_calls) const {
  const Slot& held = At(slot);
  std::size_t size = held.byte_order_mark ? kUtf8ByteOrderMark.size() : 0;
  const auto reading = written_.Reading();
  for (std::size_t line = 0; line < held.lines.size(); ++line) {
    const LineRef ref = held.lines[line];
    const std::size_t end = held.own_line_ends ? LineEnd(held, line).size() : 2;
    size += end + (ref.Written() ? WrittenText(ref.WrittenIndex()).size() : ref.length);
  }
  return {size, [this, &held, host_calls](const PieceWriter& write) {
            return WriteContent(held, write, host_calls);
          }};
}

// Line by line, with the changed lines next to each other made one stretch
// (of old bytes, or of moves where each line's move gives it back): a
// playlist whose every line was rewritten is recorded as one stretch, not a
// million.
ContentChange PlaylistStore::PlaylistChange(int slot, HostCalls host_calls) const {
  const Slot& held = At(slot);
  const std::string_view mark = held.byte_order_mark ? kUtf8ByteOrderMark : "";
  ContentChange change{mark.size(), ContentHash(mark), mark.size(), ContentHash(mark), {}};
  ChangeRecorder recorder(mark.size());
  std::size_t lines = 0;
  auto reading = written_.Reading();
  VisitSavedLines(held, [&](std::string_view line, std::string_view end, std::string_view old) {
    const LineRef ref = held.lines[lines];
    ContentHashes(old, change.old_hash, line, change.new_hash);
    change.new_hash = ContentHash(end, change.new_hash);
    change.old_size += old.size();
    const std::size_t length = line.size() + end.size();
    change.new_size += length;
    if (old.size() == length && old.starts_with(line) && old.ends_with(end)) {
      recorder.Unchanged(length);
    } else if (ref.GivingBack() && old.ends_with(end)) {
      recorder.RewrittenBy(written_.By(ref.WrittenIndex()), length);
    } else {
      recorder.Replaced(old, length);
    }
    // Done with `line`: the written texts may grow while the lock is let go.
    if (++lines % kPieceLines == 0) {
      reading.unlock();
      if (between_pieces_ && host_calls == HostCalls::kBetweenPieces) between_pieces_();
      reading.lock();
    }
    return true;
  });
  change.stretches = recorder.TakeStretches();
  return change;
}

void PlaylistStore::SetBetweenPieces(std::function<void()> between_pieces) {
  between_pieces_ = std::move(between_pieces);
}

bool PlaylistStore::VisitSavedLines(const Slot& slot, const SavedLineVisit& visit) const {
  const std::string_view text = slot.text;
  for (std::size_t line = 0; line < slot.lines.size(); ++line) {
    const LineRef ref = slot.lines[line];
    const std::string_view end = LineEnd(slot, line);
    const std::string_view old = text.substr(ref.offset, ref.length + end.size());
    if (!visit(Line(slot, line), slot.own_line_ends ? end : "\r\n", old)) return false;
  }
  return true;
}

bool PlaylistStore::WriteContent(const Slot& slot, const PieceWriter& write,
                                 HostCalls host_calls) const {
  std::string piece(slot.byte_order_mark ? kUtf8ByteOrderMark : "");
  // A small playlist gets a buffer of about its size: one of the largest
  // piece's size is fresh memory the system must map and clear, each time.
  piece.reserve(std::min(kPieceBytes + kMaxPlaylistLineLength + 2, slot.text.size() * 5 / 4 + 64));
  // Not held while a piece is written: the moves may be followed through
  // the next playlists meanwhile, and their written texts need room.
  auto reading = written_.Reading();
  const bool whole =
      VisitSavedLines(slot, [&](std::string_view line, std::string_view end, std::string_view) {
        piece += line;
        piece += end;
        if (piece.size() < kPieceBytes) return true;
        reading.unlock();
        if (!write(piece)) return false;
        piece.clear();
        if (between_pieces_ && host_calls == HostCalls::kBetweenPieces) between_pieces_();
        reading.lock();
        return true;
      });
  if (reading.owns_lock()) reading.unlock();
  return whole && (piece.empty() || write(piece));
}

void PlaylistStore::BetweenPieces(std::size_t done) const {
  if (between_pieces_ && done % kPieceLines == 0) between_pieces_();
}

void PlaylistStore::FileMoved(std::string_view old_path, std::string_view new_path,
                              std::optional<std::uint32_t> move) {
  if (count_ == 0) return;
  moves_.Add(old_path, new_path, move);
  // A quarter of what the playlists hold, and a few MiB for small ones.
  if (!moves_.Noting() && moves_.Bytes() > held_bytes_ / 4 + (std::size_t{4} << 20)) NoteLines();
}

std::string_view PlaylistStore::Line(const Slot& slot, std::size_t line) const {
  const LineRef ref = slot.lines[line];
  if (ref.Written()) return WrittenText(ref.WrittenIndex());
  return std::string_view(slot.text).substr(ref.offset, ref.length);
}

std::string_view PlaylistStore::WrittenText(std::uint32_t index) const {
  return written_.Text(index);
}

std::uint32_t PlaylistStore::AddWritten(std::string_view text, std::uint32_t by) {
  // The top bit of a line's written index is a mark.
  if (written_.size() >= LineRef::kGivingBack) {
    throw RunError(ErrorNumber::kOutOfMemory,
                   "Out of memory (more than 2^31 playlist lines written)");
  }
  return written_.Add(text, by);
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

// Only lines that lead to a path are noted: comments and URLs are never
// rewritten.
void PlaylistStore::NoteLines() {
  std::size_t lines = 0;
  for (int slot = 1; slot <= count_; ++slot) lines += At(slot).lines.size();
  moves_.StartNoting(lines);
  std::string scratch;
  std::size_t noted = 0;
  for (int number = 1; number <= count_; ++number) {
    const Slot& slot = At(number);
    for (std::size_t line = 0; line < slot.lines.size(); ++line) {
      const EntryTarget target =
          ReadPlaylistEntry(Line(slot, line), slot.folder, separator_, scratch);
      if (target.form != EntryForm::kNone) moves_.NoteLine(target);
      BetweenPieces(++noted);
    }
  }
  moves_.FinishNoting();
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
                  const PlaylistStore& store, int slot, PlaylistStore::HostCalls host_calls) {
  file_system.ReplaceTextFileInPieces(base_folder + store.PlaylistName(slot),
                                      store.PlaylistPieces(slot, host_calls));
}

}  // namespace quillfold
