#pragma once

#include <ostream>
#include <string>

#include "tags/track_tag.h"

namespace quillfold {

// One file's tag as the placement reads it, whichever tag it came from. From
// an ID3v1 tag alone (FromTrackTag) the texts are the 30-character fields as
// stored; from ID3v2 with ID3v1 as the fallback (ReadSongTag) they are UTF-8.
struct SongTag {
  std::string title{};
  std::string artist{};
  std::string album_artist{};  // empty when the tag names none
  std::string album{};
  std::string genre{};  // the genre's name, e.g. "Soundtrack"; empty when none
  int track = 0;        // 0 when the tag has no track number
  int disc = 0;         // 0 when the tag names no disc
  int disc_count = 0;   // 0 when the tag does not say how many discs the album has

  bool operator==(const SongTag&) const = default;
};

void PrintTo(const SongTag& tag, std::ostream* os);

// The ID3v1 record as the ID3v1 mode files it: the fields as stored, the
// genre byte looked up in GenreTable.
SongTag FromTrackTag(const TrackTag& tag);

}  // namespace quillfold
