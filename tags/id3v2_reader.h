#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quillfold {

// Where the ID3v2 reader takes a file's bytes from. Offsets count from the
// file's first byte.
class Id3v2Bytes {
 public:
  virtual ~Id3v2Bytes() = default;

  // The bytes from `offset` on that are at hand without reading: possibly
  // none, possibly fewer or more than a caller needs.
  virtual std::span<const std::uint8_t> AtHand(std::uint64_t offset) = 0;

  // At least `wanted` bytes from `offset` on, reading them if need be and a
  // read is left; fewer (possibly none) when the file ends first, the read
  // fails or no read is left. The span lasts until the next call.
  virtual std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t wanted) = 0;
};

// Bytes that are all at hand: a buffer holding the file from `first_offset`.
class BufferedBytes final : public Id3v2Bytes {
 public:
  explicit BufferedBytes(std::span<const std::uint8_t> bytes, std::uint64_t first_offset = 0)
      : bytes_(bytes), first_offset_(first_offset) {}
  std::span<const std::uint8_t> AtHand(std::uint64_t offset) override;
  std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t) override {
    return AtHand(offset);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t first_offset_;
};

// The first value of each text frame the placement reads, as UTF-8, empty
// when the tag has no such frame (or it could not be read).
struct Id3v2Fields {
  std::string title{};         // TIT2 (TT2 in ID3v2.2)
  std::string artist{};        // TPE1 (TP1)
  std::string album_artist{};  // TPE2 (TP2)
  std::string album{};         // TALB (TAL)
  std::string track{};         // TRCK (TRK), e.g. "3/12"
  std::string disc{};          // TPOS (TPA), e.g. "1/2"
  std::string genre{};         // TCON (TCO), e.g. "(17)Rock"

  bool operator==(const Id3v2Fields&) const = default;
};

void PrintTo(const Id3v2Fields& fields, std::ostream* os);

inline constexpr std::size_t kId3v2HeaderSize = 10;

// True when `header` (the file's first bytes) begins an ID3v2.2, 2.3 or 2.4
// tag: "ID3", a known version and a size of four 7-bit bytes.
bool IsId3v2Header(std::span<const std::uint8_t> header);

// True when `footer` (the ten bytes after an appended tag) is an ID3v2.4
// footer: "3DI", version 4 and a size of four 7-bit bytes.
bool IsId3v2Footer(std::span<const std::uint8_t> footer);

// Reads the ID3v2 tag whose header begins at `start` (0: the tag at the
// start of the file): nullopt when there is none.
// Every size in the tag is checked against the tag and against the bytes at
// hand before it is used; a frame that does not fit ends the reading, and
// the fields read so far stay. Frames the placement does not read (cover
// art among them) are passed over by their size, never read; so are
// compressed and encrypted frames. Reading stops once every field is found.
std::optional<Id3v2Fields> ReadId3v2(Id3v2Bytes& bytes, std::uint64_t start = 0);

// Reads the ID3v2.4 tag appended to the file that the footer `footer` (ten
// bytes at `footer_at`: "3DI", then the version, flags and size of the tag's
// header) closes: nullopt when `footer` is no footer, or the tag it closes
// would begin before the file or does not begin with the header the footer
// copies.
std::optional<Id3v2Fields> ReadAppendedId3v2(Id3v2Bytes& bytes,
                                             std::span<const std::uint8_t> footer,
                                             std::uint64_t footer_at);

}  // namespace quillfold
