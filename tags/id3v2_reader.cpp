#include "tags/id3v2_reader.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "tags/id3v2_text.h"

namespace quillfold {
namespace {

// Text frames larger than this hold no name anyone would file by: they are
// passed over like pictures, so no buffer is ever sized by a frame's word.
constexpr std::size_t kMaxTextFrame = 16 * 1024;
// An unsynchronised ID3v2.3 tag must be read whole to find its frames; one
// with a picture may be large, and the text frames come first in practice.
constexpr std::size_t kMaxUnsynchronisedTag = 64 * 1024;

constexpr std::uint8_t kTagUnsynchronised = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;  // compression in ID3v2.2

struct FieldFrame {
  std::string_view id;        // ID3v2.3 and 2.4
  std::string_view short_id;  // ID3v2.2
  std::string Id3v2Fields::*field;
};

constexpr std::array<FieldFrame, 7> kFieldFrames = {{
    {"TIT2", "TT2", &Id3v2Fields::title},
    {"TPE1", "TP1", &Id3v2Fields::artist},
    {"TPE2", "TP2", &Id3v2Fields::album_artist},
    {"TALB", "TAL", &Id3v2Fields::album},
    {"TRCK", "TRK", &Id3v2Fields::track},
    {"TPOS", "TPA", &Id3v2Fields::disc},
    {"TCON", "TCO", &Id3v2Fields::genre},
}};

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (const std::uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

// Four bytes of seven bits each; nullopt when a byte has its top bit set.
std::optional<std::uint32_t> Syncsafe(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (const std::uint8_t byte : bytes) {
    if (byte & 0x80) return std::nullopt;
    value = value << 7 | byte;
  }
  return value;
}

bool IsFrameIdChar(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Frame flags that change how the body is read (ID3v2.3 and 2.4 differ).
struct FrameFormat {
  bool skipped = false;  // compressed or encrypted
  bool unsynchronised = false;
  std::size_t prefix = 0;  // grouping byte and data length before the text
};

FrameFormat FormatOf(int major, std::uint8_t flags, bool tag_unsynchronised) {
  FrameFormat format;
  if (major == 3) {
    format.skipped = (flags & 0xC0) != 0;
    format.prefix = (flags & 0x20) ? 1 : 0;
  } else if (major == 4) {
    format.skipped = (flags & 0x0C) != 0;
    format.unsynchronised = tag_unsynchronised || (flags & 0x02) != 0;
    format.prefix = ((flags & 0x40) ? 1 : 0) + ((flags & 0x01) ? 4 : 0);
  }
  return format;
}

// Walks the frames of one tag from `start` to `end` over `bytes`.
class FrameWalk {
 public:
  FrameWalk(Id3v2Bytes& bytes, int major, bool tag_unsynchronised, std::uint64_t end)
      : bytes_(bytes),
        major_(major),
        tag_unsynchronised_(tag_unsynchronised),
        end_(end),
        id_size_(major == 2 ? 3 : 4),
        header_size_(major == 2 ? 6 : 10) {}

  void Run(std::uint64_t at, Id3v2Fields& fields) {
    std::size_t found = 0;
    while (found < kFieldFrames.size() && at + header_size_ <= end_) {
      const std::span<const std::uint8_t> header = bytes_.At(at, header_size_);
      if (header.size() < header_size_ || !IsFrameId(header)) return;
      const std::uint64_t size = FrameSize(header, at);
      const std::uint64_t body_at = at + header_size_;
      if (size > end_ - body_at) return;
      const FieldFrame* frame = Wanted(header);
      if (frame != nullptr && (fields.*frame->field).empty() && size <= kMaxTextFrame) {
        const std::uint8_t flags = major_ == 2 ? 0 : header[9];
        if (!TakeText(body_at, static_cast<std::size_t>(size), flags, fields.*frame->field)) {
          return;
        }
        found += (fields.*frame->field).empty() ? 0 : 1;
      }
      at = body_at + size;
    }
  }

 private:
  bool IsFrameId(std::span<const std::uint8_t> header) const {
    return std::all_of(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(id_size_),
                       IsFrameIdChar);
  }

  const FieldFrame* Wanted(std::span<const std::uint8_t> header) const {
    const std::string_view id(reinterpret_cast<const char*>(header.data()), id_size_);
    const auto match = std::find_if(kFieldFrames.begin(), kFieldFrames.end(), [&](const auto& f) {
      return (major_ == 2 ? f.short_id : f.id) == id;
    });
    return match == kFieldFrames.end() ? nullptr : &*match;
  }

  // ID3v2.4 sizes are syncsafe, but some taggers write plain integers: where
  // the two readings differ, the one after which a valid frame header (or
  // padding, or the tag's end) follows wins, the syncsafe one when in doubt.
  std::uint64_t FrameSize(std::span<const std::uint8_t> header, std::uint64_t at) {
    if (major_ == 2) return BigEndian(header.subspan(3, 3));
    const std::uint32_t plain = BigEndian(header.subspan(4, 4));
    if (major_ == 3) return plain;
    const std::optional<std::uint32_t> syncsafe = Syncsafe(header.subspan(4, 4));
    if (!syncsafe) return plain;
    if (*syncsafe == plain || !KnownInvalidHeaderAt(at + header_size_ + *syncsafe)) {
      return *syncsafe;
    }
    return ValidHeaderAt(at + header_size_ + plain) ? plain : *syncsafe;
  }

  bool ValidHeaderAt(std::uint64_t at) {
    if (at == end_) return true;
    if (at > end_) return false;
    const std::span<const std::uint8_t> next = bytes_.AtHand(at);
    if (!next.empty() && next[0] == 0) return true;  // padding
    return next.size() >= id_size_ && IsFrameId(next);
  }

  bool KnownInvalidHeaderAt(std::uint64_t at) {
    if (at > end_) return true;
    const bool judged = at == end_ || bytes_.AtHand(at).size() >= id_size_;
    return judged && !ValidHeaderAt(at);
  }

  // False when the body could not be read, which ends the walk.
  bool TakeText(std::uint64_t body_at, std::size_t size, std::uint8_t flags, std::string& field) {
    const FrameFormat format = FormatOf(major_, flags, tag_unsynchronised_);
    if (format.skipped) return true;
    const std::span<const std::uint8_t> body = bytes_.At(body_at, size);
    if (body.size() < size) return false;
    if (format.prefix > size) return true;
    const std::span<const std::uint8_t> text = body.subspan(format.prefix, size - format.prefix);
    field = format.unsynchronised ? DecodeTextFrame(Resynchronised(text)) : DecodeTextFrame(text);
    return true;
  }

  Id3v2Bytes& bytes_;
  const int major_;
  const bool tag_unsynchronised_;
  const std::uint64_t end_;
  const std::size_t id_size_;
  const std::size_t header_size_;
};

// Where the frames begin, past the extended header; nullopt when its size
// does not fit the tag.
std::optional<std::uint64_t> FirstFrameAt(Id3v2Bytes& bytes, int major, std::uint64_t start,
                                          std::uint64_t end) {
  std::span<const std::uint8_t> size_bytes = bytes.At(start, 4);
  if (size_bytes.size() < 4) return std::nullopt;
  size_bytes = size_bytes.first(4);
  // ID3v2.3 counts the size without its own four bytes, 2.4 with them.
  std::optional<std::uint64_t> size = Syncsafe(size_bytes);
  if (major == 3) size = std::uint64_t{BigEndian(size_bytes)} + 4;
  if (!size || *size < 4 || *size > end - start) return std::nullopt;
  return start + *size;
}

void ReadFrames(Id3v2Bytes& bytes, int major, std::uint8_t flags, std::uint64_t start,
                std::uint64_t end, Id3v2Fields& fields) {
  std::optional<std::uint64_t> first = start;
  if (flags & kTagExtendedHeader) first = FirstFrameAt(bytes, major, start, end);
  const bool unsynchronised = major == 4 && (flags & kTagUnsynchronised);
  if (first) FrameWalk(bytes, major, unsynchronised, end).Run(*first, fields);
}

}  // namespace

std::span<const std::uint8_t> BufferedBytes::AtHand(std::uint64_t offset) {
  if (offset < first_offset_ || offset - first_offset_ >= bytes_.size()) return {};
  return bytes_.subspan(static_cast<std::size_t>(offset - first_offset_));
}

void PrintTo(const Id3v2Fields& fields, std::ostream* os) {
  *os << "{title=\"" << fields.title << "\" artist=\"" << fields.artist << "\" album_artist=\""
      << fields.album_artist << "\" album=\"" << fields.album << "\" track=\"" << fields.track
      << "\" disc=\"" << fields.disc << "\" genre=\"" << fields.genre << "\"}";
}

bool IsId3v2Header(std::span<const std::uint8_t> header) {
  return header.size() >= kId3v2HeaderSize && header[0] == 'I' && header[1] == 'D' &&
         header[2] == '3' && header[3] >= 2 && header[3] <= 4 && header[4] != 0xFF &&
         Syncsafe(header.subspan(6, 4)).has_value();
}

bool IsId3v2Footer(std::span<const std::uint8_t> footer) {
  return footer.size() >= kId3v2HeaderSize && footer[0] == '3' && footer[1] == 'D' &&
         footer[2] == 'I' && footer[3] == 4 && Syncsafe(footer.subspan(6, 4)).has_value();
}

std::optional<Id3v2Fields> ReadId3v2(Id3v2Bytes& bytes, std::uint64_t start) {
  const std::span<const std::uint8_t> header = bytes.At(start, kId3v2HeaderSize);
  if (!IsId3v2Header(header)) return std::nullopt;
  const int major = header[3];
  const std::uint8_t flags = header[5];
  const std::uint32_t size = *Syncsafe(header.subspan(6, 4));
  const std::uint64_t frames_at = start + kId3v2HeaderSize;
  Id3v2Fields fields;
  // An ID3v2.2 tag marked compressed has no defined compression to undo.
  if (major == 2 && (flags & kTagExtendedHeader)) return fields;
  if (major < 4 && (flags & kTagUnsynchronised)) {
    // Sizes inside count the bytes as they are once resynchronised.
    const std::span<const std::uint8_t> stored =
        bytes.At(frames_at, std::min<std::size_t>(size, kMaxUnsynchronisedTag));
    const std::vector<std::uint8_t> tag =
        Resynchronised(stored.first(std::min<std::size_t>(stored.size(), size)));
    BufferedBytes resynchronised(tag);
    ReadFrames(resynchronised, major, flags, 0, tag.size(), fields);
  } else {
    ReadFrames(bytes, major, flags, frames_at, frames_at + size, fields);
  }
  return fields;
}

std::optional<Id3v2Fields> ReadAppendedId3v2(Id3v2Bytes& bytes,
                                             std::span<const std::uint8_t> footer,
                                             std::uint64_t footer_at) {
  if (!IsId3v2Footer(footer)) return std::nullopt;
  const std::optional<std::uint32_t> size = Syncsafe(footer.subspan(6, 4));
  if (*size + kId3v2HeaderSize > footer_at) return std::nullopt;
  const std::uint64_t start = footer_at - *size - kId3v2HeaderSize;
  const std::span<const std::uint8_t> header = bytes.At(start, kId3v2HeaderSize);
  const bool copied =
      header.size() >= kId3v2HeaderSize &&
      std::equal(header.begin() + 3, header.begin() + kId3v2HeaderSize, footer.begin() + 3);
  return copied ? ReadId3v2(bytes, start) : std::nullopt;
}

}  // namespace quillfold
