#include "tags/track_tag.h"

namespace quillfold {

void PrintTo(const TrackTag& tag, std::ostream* os) {
  *os << "{TagId=\"" << tag.TagId << "\" Title=\"" << tag.Title << "\" Artist=\"" << tag.Artist
      << "\" Album=\"" << tag.Album << "\" Year=\"" << tag.Year << "\" Comment=\"" << tag.Comment
      << "\" Genre=" << static_cast<int>(tag.Genre) << " Track=" << tag.Track << " TagVersion=\""
      << tag.TagVersion << "\"}";
}

}  // namespace quillfold
