#include <algorithm>
#include <string>

#include "tags/read_track_tag.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

// A record no decoder would produce, to prove a false result leaves it alone.
TrackTag Sentinel() {
  TrackTag tag;
  tag.TagId = "sentinel";
  tag.Title = "\x01untouched";
  tag.Genre = 42;
  tag.Track = -7;
  return tag;
}

bool TextFieldIsClean(const std::string& field, std::size_t width) {
  return field.size() == width && field.find('\0') == std::string::npos;
}

void CheckDecodedFields(const TagTrailer& trailer, const TrackTag& tag) {
  FuzzCheck(tag.TagId == "TAG", "a decoded tag carries the TAG marker");
  FuzzCheck(TextFieldIsClean(tag.Title, 30) && TextFieldIsClean(tag.Artist, 30) &&
                TextFieldIsClean(tag.Album, 30) && TextFieldIsClean(tag.Year, 4) &&
                TextFieldIsClean(tag.Comment, 30) && TextFieldIsClean(tag.TagVersion, 10),
            "text fields keep their width and hold no NUL");
  for (std::size_t i = 0; i < 30; ++i) {
    const char expected = trailer[3 + i] == 0 ? ' ' : static_cast<char>(trailer[3 + i]);
    FuzzCheck(tag.Title[i] == expected, "every title byte survives, NUL as a space");
  }
  const bool v11 = trailer[125] == 0 && trailer[126] != 0;
  FuzzCheck(tag.Track == (v11 ? trailer[126] : 0), "track only from the 1.1 layout");
  FuzzCheck(tag.TagVersion.starts_with(v11 ? "ID3v1.1" : "ID3v1.0"), "version names the layout");
  FuzzCheck(tag.Genre == trailer[127], "genre byte unchanged");
}

}  // namespace

void FuzzDecodeTrackTag(FuzzInput input) {
  TagTrailer trailer{};
  std::copy_n(input.begin(), std::min(input.size(), trailer.size()), trailer.begin());
  TrackTag tag = Sentinel();
  const bool tagged = DecodeTrackTag(trailer, tag);
  FuzzCheck(tagged == (trailer[0] == 'T' && trailer[1] == 'A' && trailer[2] == 'G'),
            "a tag is present exactly when the trailer begins with TAG");
  if (tagged) {
    CheckDecodedFields(trailer, tag);
  } else {
    FuzzCheck(tag == Sentinel(), "no tag leaves the caller's record untouched");
  }
}

}  // namespace quillfold::fuzz
