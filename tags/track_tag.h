#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace quillfold {

// The decoded ID3v1 record of one file. Text fields always hold exactly their
// width in characters (3, 30, 30, 30, 4, 30, 10), padded with spaces, and
// never contain a NUL.
struct TrackTag {
  std::string TagId;
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Comment;
  std::uint8_t Genre = 0;
  std::int16_t Track = 0;
  std::string TagVersion;

  bool operator==(const TrackTag&) const = default;
};

void PrintTo(const TrackTag& tag, std::ostream* os);

}  // namespace quillfold
