// What a journal's move and playlist records say, read back into values.
#include <algorithm>
#include <charconv>
#include <string_view>

#include "organize/journal.h"

namespace quillfold {
namespace {

using Kind = JournalRecord::Kind;

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

// "3 - 4" -> {3, kLineUnchanged, 4}; nullopt for anything else, empty text included.
std::optional<std::vector<std::uint32_t>> MoveNumbers(std::string_view text) {
  std::vector<std::uint32_t> moves;
  while (true) {
    const std::size_t space = std::min(text.find(' '), text.size());
    std::uint32_t move = kLineUnchanged;
    if (text.substr(0, space) != "-" && !ParseNumber(text.substr(0, space), move)) {
      return std::nullopt;
    }
    moves.push_back(move);
    if (space == text.size()) return moves;
    text.remove_prefix(space + 1);
  }
}

// One stretch of a playlist record, from its three fields.
std::optional<ChangedStretch> StretchOf(const std::string& offset, const std::string& length,
                                        const std::string& old) {
  ChangedStretch stretch;
  const bool of_moves = offset.starts_with('=');
  if (!ParseNumber(std::string_view(offset).substr(of_moves ? 1 : 0), stretch.offset) ||
      !ParseNumber(length, stretch.length)) {
    return std::nullopt;
  }
  if (!of_moves) {
    stretch.old_bytes = old;
  } else if (auto moves = MoveNumbers(old)) {
    stretch.moves = std::move(*moves);
  } else {
    return std::nullopt;
  }
  return stretch;
}

}  // namespace

std::string IdentityText(const FileIdentity& identity) {
  return std::to_string(identity.device) + ":" + std::to_string(identity.inode);
}

bool TakeMoveRecord(JournalRecord& record, std::vector<JournaledMove>& moves) {
  const bool open = !moves.empty() && !moves.back().finished;
  if (record.kind == Kind::kMoved) {
    if (open) moves.back().finished = true;
    return true;
  }
  if (record.kind != Kind::kTry) return false;
  std::vector<std::string>& fields = record.fields;
  // Each collision suffix is a try of its own for the same file.
  if (!open || moves.back().old_path != fields[0] || moves.back().identity != fields[2]) {
    moves.push_back({std::move(fields[0]), std::move(fields[2]), {}, false});
  }
  moves.back().targets.push_back(std::move(fields[1]));
  return true;
}

// The tried names are looked at last first: the rename took the last name
// tried, if any. A name holding some other file is no sign of this one.
MovedFileState LocateMovedFile(FileSystem& file_system, const JournaledMove& move) {
  const auto is_the_file = [&](const std::string& path) {
    const std::optional<FileIdentity> identity = file_system.IdentityOf(path);
    return identity && IdentityText(*identity) == move.identity;
  };
  const bool at_old_name = is_the_file(move.old_path);
  for (auto target = move.targets.rbegin(); target != move.targets.rend(); ++target) {
    if (is_the_file(*target)) return {MovedFileState::Where::kMoved, *target, at_old_name};
  }
  return {at_old_name ? MovedFileState::Where::kNotMoved : MovedFileState::Where::kGone, {}, false};
}

std::optional<PlaylistChange> PlaylistChangeOf(const JournalRecord& record) {
  const std::vector<std::string>& fields = record.fields;
  PlaylistChange change;
  change.path = fields[0];
  if (!ParseNumber(fields[1], change.old_size) || !ParseNumber(fields[2], change.old_hash) ||
      !ParseNumber(fields[3], change.new_size) || !ParseNumber(fields[4], change.new_hash) ||
      (fields.size() - 5) % 3 != 0) {
    return std::nullopt;
  }
  std::size_t end = 0;
  for (std::size_t i = 5; i < fields.size(); i += 3) {
    std::optional<ChangedStretch> stretch = StretchOf(fields[i], fields[i + 1], fields[i + 2]);
    if (!stretch || stretch->offset < end || stretch->offset > change.new_size ||
        stretch->length > change.new_size - stretch->offset) {
      return std::nullopt;
    }
    end = stretch->offset + stretch->length;
    change.stretches.push_back(std::move(*stretch));
  }
  return change;
}

}  // namespace quillfold
