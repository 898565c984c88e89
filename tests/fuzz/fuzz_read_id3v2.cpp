#include <utf8proc.h>

#include <string>

#include "tags/id3v2_reader.h"
#include "tags/read_song_tag.h"
#include "tags/safe_name.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

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
  // The input is the whole file, at hand in a buffer of its own size, so a
  // sanitizer sees any read past it.
  BufferedBytes bytes(input);
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
