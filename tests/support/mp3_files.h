#pragma once

#include <cstdint>
#include <string>

#include "sample_library/mp3_bytes.h"

namespace quillfold::testing {

// The ID3v1 fields a test sets; texts longer than 30 bytes are cut.
struct TagSpec {
  std::string title;
  std::string artist;
  std::string album;
  int track = 0;  // 0: an ID3v1.0 tag without a track number
  std::uint8_t genre = 255;
};

// `audio` followed by a 128-byte ID3v1 trailer holding `tag`.
inline std::string TaggedMp3(const TagSpec& tag, const std::string& audio = "audio bytes") {
  bench::TagFields fields;
  fields.title = tag.title;
  fields.artist = tag.artist;
  fields.album = tag.album;
  fields.track = tag.track;
  fields.genre = tag.genre;
  return audio + bench::EncodeId3v1(fields);
}

}  // namespace quillfold::testing
