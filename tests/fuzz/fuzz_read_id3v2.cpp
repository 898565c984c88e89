#include <utf8proc.h>

#include <cstdlib>
#include <string>

#include "tags/id3v2_reader.h"
#include "tags/read_song_tag.h"
#include "tags/safe_name.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

bool IsValidUtf8(const std::string& text) {
  // utf8proc refuses to map bytes that are no UTF-8.
  utf8proc_uint8_t* mapped = nullptr;
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                   static_cast<utf8proc_ssize_t>(text.size()), &mapped, UTF8PROC_STABLE);
  std::free(mapped);
  return length >= 0;
}

void CheckFields(const Id3v2Fields& fields) {
  for (const std::string* text : {&fields.title, &fields.artist, &fields.album_artist,
                                  &fields.album, &fields.track, &fields.disc, &fields.genre}) {
    FuzzCheck(IsValidUtf8(*text), "every field is UTF-8");
  }
  const SongTag tag = MergedTag(fields, std::nullopt);
  const std::string name = SafeFileName(tag.title, ".mp3");
  FuzzCheck(name.size() <= kMaxNameBytes && name.ends_with(".mp3") && IsValidUtf8(name),
            "a file name is UTF-8, at most 255 bytes, and ends in .mp3");
  FuzzCheck(name.find_first_of("/\\:*?\"<>|") == std::string::npos, "no unsafe character");
}

}  // namespace

void FuzzReadId3v2(FuzzInput input) {
  // The input is the whole file, at hand in a buffer of its own size, so a
  // sanitizer sees any read past it.
  BufferedBytes bytes(input);
  const std::optional<Id3v2Fields> fields = ReadId3v2(bytes);
  FuzzCheck(fields.has_value() == IsId3v2Header(input), "a tag is read exactly when one begins");
  if (fields) CheckFields(*fields);
  // The input's last ten bytes taken as the footer of an appended tag.
  if (input.size() < kId3v2HeaderSize) return;
  const std::size_t footer_at = input.size() - kId3v2HeaderSize;
  const std::optional<Id3v2Fields> appended =
      ReadAppendedId3v2(bytes, input.subspan(footer_at), footer_at);
  if (appended) CheckFields(*appended);
}

}  // namespace quillfold::fuzz
