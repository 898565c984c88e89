#include "organize/placement.h"

#include <ostream>

#include "tags/clean_name.h"
#include "tags/genre_table.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::string_view kNoTag = "UNSORTED - No ID3v1 Tag";
constexpr std::string_view kNoAlbumInfo = "UNSORTED - No Album Info";
constexpr std::string_view kNoSongTitle = "UNSORTED - No Song Title";
constexpr std::string_view kNoArtistInfo = "UNSORTED - No Artist Info";
constexpr std::string_view kNoTrackNumber = "UNSORTED - No Track Number";
constexpr std::string_view kMultipleDataMissing = "UNSORTED - Multiple Data Missing";

// A folder below the base made of `components`, each followed by the separator.
std::string FolderBelow(std::string_view base_folder,
                        std::initializer_list<std::string_view> components, char separator) {
  std::string folder(base_folder);
  for (const std::string_view component : components) {
    folder += component;
    folder += separator;
  }
  return folder;
}

Placement Unsorted(std::string_view base_folder, std::string_view folder,
                   std::string_view current_name, char separator) {
  return {FolderBelow(base_folder, {folder}, separator), std::string(current_name)};
}

// A tag field made fit for a folder name: cleaned, then trimmed again for the
// blanks that removed full stops can leave at either end.
std::string FolderComponent(std::string_view field) {
  return std::string(TrimSpaces(CleanName(field)));
}

std::string SortedFileName(const TrackTag& tag, bool track_name) {
  std::string name;
  if (tag.Track > 0 && track_name) name = nformat(tag.Track) + ". ";
  name += TrimSpaces(tag.Title);
  name += ".mp3";
  return CleanName(name);
}

// The folder in the artist's place: two genres have fixed ones.
std::string ArtistFolder(const TrackTag& tag) {
  const std::string& genre = GenreName(tag.Genre);
  if (genre == "A Capella") return "Kids";
  if (genre == "Soundtrack") return "Various Artists";
  return FolderComponent(tag.Artist);
}

}  // namespace

void PrintTo(const Placement& placement, std::ostream* os) {
  *os << "{\"" << placement.target_folder << "\", \"" << placement.target_name << "\"}";
}

std::string CurrentName(std::string_view relative_path, char separator) {
  const auto last = relative_path.rfind(separator);
  return std::string(last == std::string_view::npos ? relative_path
                                                    : relative_path.substr(last + 1));
}

Placement DecidePlacement(const std::optional<TrackTag>& tag, const PlacementOptions& options,
                          std::string_view base_folder, std::string_view current_name,
                          char separator) {
  if (!tag) return Unsorted(base_folder, kNoTag, current_name, separator);
  const bool has_title = !TrimSpaces(tag->Title).empty();
  const bool has_artist = !TrimSpaces(tag->Artist).empty();
  const bool has_album = !TrimSpaces(tag->Album).empty();
  const bool track_ok = tag->Track > 0 || options.ignore_no_track;
  if (has_title && has_artist && has_album && track_ok) {
    return {FolderBelow(base_folder, {ArtistFolder(*tag), FolderComponent(tag->Album)}, separator),
            SortedFileName(*tag, options.track_name)};
  }
  if (has_title && has_artist && track_ok) {
    if (!options.no_album) return Unsorted(base_folder, kNoAlbumInfo, current_name, separator);
    return {FolderBelow(base_folder, {FolderComponent(tag->Artist), "Unknown"}, separator),
            SortedFileName(*tag, options.track_name)};
  }
  std::string_view folder = kMultipleDataMissing;
  if (has_artist && has_album && track_ok) {
    folder = kNoSongTitle;
  } else if (has_title && has_album && track_ok) {
    folder = kNoArtistInfo;
  } else if (has_title && has_artist && has_album) {
    folder = kNoTrackNumber;
  }
  return Unsorted(base_folder, folder, current_name, separator);
}

}  // namespace quillfold
