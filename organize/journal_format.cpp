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

// A record's header, "LENGTH CHECKSUM\t", as read at the start of `rest`.
struct RecordHeader {
  std::size_t tab = 0;  // where the header's tab is
  std::size_t length = 0;
  std::uint32_t checksum = 0;
};
std::optional<RecordHeader> HeaderOf(std::string_view rest) {
  RecordHeader header;
  header.tab = rest.substr(0, kLongestHeader).find('\t');
  const std::size_t space = rest.find(' ');
  if (header.tab == std::string_view::npos || space == std::string_view::npos ||
      space > header.tab) {
    return std::nullopt;
  }
  const char* tab = rest.data() + header.tab;
  const auto [length_end, length_error] =
      std::from_chars(rest.data(), rest.data() + space, header.length);
  const auto [sum_end, sum_error] =
      std::from_chars(rest.data() + space + 1, tab, header.checksum, 16);
  if (length_error != std::errc() || length_end != rest.data() + space ||
      sum_error != std::errc() || sum_end != tab) {
    return std::nullopt;
  }
  return header;
}

// The payload of the record at `start`, or nullopt when it is cut short or
// damaged; `next` is then where the record after it begins.
std::optional<std::string_view> WholePayload(std::string_view bytes, std::size_t start,
                                             std::size_t& next) {
  const std::string_view rest = bytes.substr(start);
  const std::optional<RecordHeader> header = HeaderOf(rest);
  if (!header || header->length >= rest.size() - header->tab - 1 ||
      rest[header->tab + 1 + header->length] != '\n') {
    return std::nullopt;
  }
  const std::string_view payload = rest.substr(header->tab + 1, header->length);
  if (Checksum(payload) != header->checksum) return std::nullopt;
  next = start + header->tab + 2 + header->length;
  return payload;
}

// Whether more bytes after `rest`, which holds no whole record at its
// start, could still make one of it: its header may yet come whole, or it
// says the record is longer than `rest`.
bool MayBecomeWhole(std::string_view rest) {
  if (rest.size() < kLongestHeader && rest.find('\t') == std::string_view::npos) return true;
  const std::optional<RecordHeader> header = HeaderOf(rest);
  return header && header->length >= rest.size() - header->tab - 1;
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
  JournalParser parser(kept);
  parser.Take(bytes);
  return std::move(parser).Finish();
}

bool JournalParser::Take(std::string_view piece) {
  if (damaged_) return false;
  if (unfinished_.empty()) return TakeRecords(piece);
  unfinished_ += piece;
  // A long record is gathered piece by piece and parsed once it is there.
  if (MayBecomeWhole(unfinished_)) return true;
  const std::string joined = std::move(unfinished_);
  unfinished_.clear();
  return TakeRecords(joined);
}

bool JournalParser::TakeRecords(std::string_view bytes) {
  std::size_t start = 0;
  std::size_t next = 0;
  while (const std::optional<std::string_view> payload = WholePayload(bytes, start, next)) {
    parsed_.whole_bytes += next - start;
    start = next;
    const FieldShape shape = ShapeOf(*payload);
    const std::string kind_name = SplitFields(payload->substr(0, shape.first_end)).front();
    const auto* kind = std::find(std::begin(kKindNames), std::end(kKindNames), kind_name);
    // A kind of a later version's making is passed over.
    if (kind == std::end(kKindNames)) continue;
    if (shape.count - 1 < kFieldCounts[kind - std::begin(kKindNames)]) continue;
    const auto record_kind = static_cast<Kind>(kind - std::begin(kKindNames));
    parsed_.complete |= record_kind == Kind::kComplete;
    parsed_.undo_started |= record_kind == Kind::kUndoStarted;
    parsed_.undone |= record_kind == Kind::kUndone;
    parsed_.files_moved += record_kind == Kind::kMoved;
    const bool kept = kept_ == KeptRecords::kAll || parsed_.records.empty();
    if (!kept && !later_) continue;
    std::vector<std::string> fields = SplitFields(*payload);
    fields.erase(fields.begin());
    JournalRecord record{record_kind, std::move(fields)};
    if (kept) {
      parsed_.records.push_back(std::move(record));
    } else {
      later_(std::move(record));
    }
  }
  const std::string_view rest = bytes.substr(start);
  damaged_ = !MayBecomeWhole(rest);
  if (!damaged_) unfinished_ = rest;
  return !damaged_;
}

}  // namespace quillfold
