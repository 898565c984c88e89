#include "organize/journal_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "organize/content_changes.h"

namespace quillfold {
namespace {

using Kind = JournalRecord::Kind;

constexpr std::string_view kKindNames[] = {"run",     "folder",   "try",    "moved", "playlist",
                                           "removed", "complete", "failed", "undo",  "undone"};
// The fields each kind takes at least; a playlist's stretches come in threes.
constexpr std::size_t kFieldCounts[] = {4, 1, 3, 1, 5, 4, 0, 0, 0, 0};
constexpr std::size_t kLongestHeader = 32;

// The escaped form of a byte that needs one, else empty.
std::string_view EscapeOf(char c) {
  switch (c) {
    case '\\':
      return "\\\\";
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return {};
  }
}

// Hands the record's payload to `take` in pieces, in order: the kind's
// name, then a tab and each field, escaped.
template <typename Take>
void ForEachPayloadPiece(Kind kind, std::span<const std::string_view> fields, Take take) {
  take(kKindNames[static_cast<int>(kind)]);
  for (const std::string_view field : fields) {
    take("\t");
    std::size_t from = 0;
    for (std::size_t i = 0; i < field.size(); ++i) {
      const std::string_view escape = EscapeOf(field[i]);
      if (escape.empty()) continue;
      take(field.substr(from, i - from));
      take(escape);
      from = i + 1;
    }
    take(field.substr(from));
  }
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Where the first field of a record's payload ends and how many fields
// SplitFields makes of the payload, without making them.
struct FieldShape {
  std::size_t first_end;
  std::size_t count;
};
FieldShape ShapeOf(std::string_view payload) {
  // Most payloads hold no escape, and the library's searches are quicker
  // than a walk through every byte.
  if (payload.find('\\') == std::string_view::npos) {
    return {std::min(payload.find('\t'), payload.size()),
            1 + static_cast<std::size_t>(std::count(payload.begin(), payload.end(), '\t'))};
  }
  FieldShape shape{payload.size(), 1};
  for (std::size_t i = 0; i < payload.size(); ++i) {
    if (payload[i] == '\\') {
      ++i;  // an escape: the next byte is part of the field
    } else if (payload[i] == '\t') {
      if (shape.count == 1) shape.first_end = i;
      ++shape.count;
    }
  }
  return shape;
}

std::uint32_t FoldedHash(std::uint64_t hash) {
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::uint32_t Checksum(std::string_view payload) { return FoldedHash(ContentHash(payload)); }

// The payload of the record at `start`, or nullopt when it is cut short or
// damaged; `next` is then where the record after it begins.
std::optional<std::string_view> WholePayload(std::string_view bytes, std::size_t start,
                                             std::size_t& next) {
  const std::string_view rest = bytes.substr(start);
  const std::size_t tab = rest.substr(0, kLongestHeader).find('\t');
  const std::size_t space = rest.find(' ');
  if (tab == std::string_view::npos || space == std::string_view::npos || space > tab) {
    return std::nullopt;
  }
  std::size_t length = 0;
  std::uint32_t checksum = 0;
  const auto [length_end, length_error] = std::from_chars(rest.data(), rest.data() + space, length);
  const auto [sum_end, sum_error] =
      std::from_chars(rest.data() + space + 1, rest.data() + tab, checksum, 16);
  if (length_error != std::errc() || length_end != rest.data() + space ||
      sum_error != std::errc() || sum_end != rest.data() + tab || length >= rest.size() - tab - 1 ||
      rest[tab + 1 + length] != '\n') {
    return std::nullopt;
  }
  const std::string_view payload = rest.substr(tab + 1, length);
  if (Checksum(payload) != checksum) return std::nullopt;
  next = start + tab + 2 + length;
  return payload;
}

}  // namespace

void AppendRecord(std::string& out, Kind kind, std::span<const std::string_view> fields) {
  std::size_t size = 0;
  std::uint64_t hash = kContentHashStart;
  ForEachPayloadPiece(kind, fields, [&](std::string_view piece) {
    size += piece.size();
    hash = ContentHash(piece, hash);
  });
  char header[kLongestHeader];
  std::snprintf(header, sizeof header, "%zu %08x\t", size, FoldedHash(hash));
  out.reserve(out.size() + std::strlen(header) + size + 1);
  out += header;
  ForEachPayloadPiece(kind, fields, [&](std::string_view piece) { out += piece; });
  out += '\n';
}

void AppendRecord(std::string& out, Kind kind, const std::vector<std::string>& fields) {
  const std::vector<std::string_view> views(fields.begin(), fields.end());
  AppendRecord(out, kind, views);
}

ParsedJournal ParseJournal(std::string_view bytes, KeptRecords kept) {
  ParsedJournal parsed;
  std::size_t next = 0;
  while (parsed.whole_bytes < bytes.size()) {
    const std::optional<std::string_view> payload = WholePayload(bytes, parsed.whole_bytes, next);
    if (!payload) break;
    parsed.whole_bytes = next;
    const FieldShape shape = ShapeOf(*payload);
    const std::string kind_name = SplitFields(payload->substr(0, shape.first_end)).front();
    const auto* kind = std::find(std::begin(kKindNames), std::end(kKindNames), kind_name);
    // A kind of a later version's making is passed over.
    if (kind == std::end(kKindNames)) continue;
    if (shape.count - 1 < kFieldCounts[kind - std::begin(kKindNames)]) continue;
    const auto record_kind = static_cast<Kind>(kind - std::begin(kKindNames));
    parsed.complete |= record_kind == Kind::kComplete;
    parsed.undo_started |= record_kind == Kind::kUndoStarted;
    parsed.undone |= record_kind == Kind::kUndone;
    parsed.files_moved += record_kind == Kind::kMoved;
    if (kept == KeptRecords::kFirstOnly && !parsed.records.empty()) continue;
    std::vector<std::string> fields = SplitFields(*payload);
    fields.erase(fields.begin());
    parsed.records.push_back({record_kind, std::move(fields)});
  }
  return parsed;
}

}  // namespace quillfold
