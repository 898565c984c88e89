#include <utf8proc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tags/id3v2_reader.h"
#include "tags/read_song_tag.h"
#include "tags/safe_name.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

// The input as a file whose first bytes are at hand and the rest comes in
// reads of exactly the size asked for, each into a buffer of its own, so
// that a sanitizer sees any use of a byte past what was handed out.
class ReadLimitedBytes final : public Id3v2Bytes {
 public:
  explicit ReadLimitedBytes(FuzzInput file) : file_(file) {}

  std::span<const std::uint8_t> AtHand(std::uint64_t offset) override {
    const std::span<const std::uint8_t> head = file_.first(std::min<std::size_t>(file_.size(), 64));
    return BufferedBytes(head).AtHand(offset);
  }

  std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t wanted) override {
    FuzzCheck(wanted <= 64 * 1024, "no read is sized past the reader's limits");
    if (offset >= file_.size() || ++reads_ > 3) return AtHand(offset);
    const std::size_t count = std::min<std::size_t>(wanted, file_.size() - offset);
    read_ = std::vector<std::uint8_t>(file_.begin() + static_cast<std::ptrdiff_t>(offset),
                                      file_.begin() + static_cast<std::ptrdiff_t>(offset + count));
    return read_;
  }

 private:
  FuzzInput file_;
  std::vector<std::uint8_t> read_;
  int reads_ = 0;
};

bool IsValidUtf8(const std::string& text) {
  const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  for (auto left = static_cast<utf8proc_ssize_t>(text.size()); left > 0;) {
    utf8proc_int32_t code_point = 0;
    const utf8proc_ssize_t length = utf8proc_iterate(at, left, &code_point);
    if (length <= 0) return false;
    at += length;
    left -= length;
  }
  return true;
}

}  // namespace

void FuzzReadId3v2(FuzzInput input) {
  ReadLimitedBytes bytes(input);
  const std::optional<Id3v2Fields> fields = ReadId3v2(bytes);
  FuzzCheck(fields.has_value() == IsId3v2Header(input), "a tag is read exactly when one begins");
  if (!fields) return;
  for (const std::string* text : {&fields->title, &fields->artist, &fields->album_artist,
                                  &fields->album, &fields->track, &fields->disc, &fields->genre}) {
    FuzzCheck(IsValidUtf8(*text), "every field is UTF-8");
  }
  const SongTag tag = MergedTag(fields, std::nullopt);
  const std::string name = SafeFileName(tag.title, ".mp3");
  FuzzCheck(name.size() <= kMaxNameBytes && name.ends_with(".mp3") && IsValidUtf8(name),
            "a file name is UTF-8, at most 255 bytes, and ends in .mp3");
  FuzzCheck(name.find_first_of("/\\:*?\"<>|") == std::string::npos, "no unsafe character");
}

}  // namespace quillfold::fuzz
