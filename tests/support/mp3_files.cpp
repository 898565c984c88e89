#include "tests/support/mp3_files.h"

#include "bench/mp3_bytes.h"

namespace quillfold::testing {

std::string TaggedMp3(const TagSpec& tag, const std::string& audio) {
  bench::TagFields fields;
  fields.title = tag.title;
  fields.artist = tag.artist;
  fields.album = tag.album;
  fields.track = tag.track;
  fields.genre = tag.genre;
  return audio + bench::EncodeId3v1(fields);
}

}  // namespace quillfold::testing
