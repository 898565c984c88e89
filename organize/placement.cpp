#include "organize/placement.h"

#include <ostream>

#include "tags/clean_name.h"
#include "tags/genre_table.h"
#include "tags/safe_name.h"
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

// A tag field made fit for a folder name. ID3v1 names are cleaned, then
// trimmed again for the blanks that removed full stops can leave at either
// end.
std::string FolderComponent(std::string_view field, bool id3v2) {
  if (id3v2) return SafeFolderName(field);
  return std::string(TrimSpaces(CleanName(field)));
}

// "NN. " when the track is wanted in the name; "D-NN. " for a disc of an
// album of several, when ID3v2 says so.
std::string NumberPrefix(const SongTag& tag, const PlacementOptions& options) {
  if (tag.track <= 0 || !options.track_name) return {};
  const std::string track = nformat(static_cast<std::int16_t>(tag.track));
  const bool several_discs = tag.disc > 0 && (tag.disc_count > 1 || tag.disc > 1);
  if (options.id3v2 && several_discs) return std::to_string(tag.disc) + "-" + track + ". ";
  return track + ". ";
}

std::string SortedFileName(const SongTag& tag, const PlacementOptions& options) {
  const std::string stem = NumberPrefix(tag, options) + std::string(TrimSpaces(tag.title));
  if (options.id3v2) return SafeFileName(stem, ".mp3");
  return CleanName(stem + ".mp3");
}

// The album artist keeps a compilation in one folder.
const std::string& ArtistField(const SongTag& tag) {
  return TrimSpaces(tag.album_artist).empty() ? tag.artist : tag.album_artist;
}

// The folder in the artist's place: two genres have fixed ones.
std::string ArtistFolder(const SongTag& tag, bool id3v2) {
  if (tag.genre == "A Capella") return "Kids";
  if (tag.genre == "Soundtrack") return "Various Artists";
  return FolderComponent(ArtistField(tag), id3v2);
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

Placement DecidePlacement(const std::optional<SongTag>& tag, const PlacementOptions& options,
                          std::string_view base_folder, std::string_view current_name,
                          char separator) {
  if (!tag) return Unsorted(base_folder, kNoTag, current_name, separator);
  const bool has_title = !TrimSpaces(tag->title).empty();
  const bool has_artist = !TrimSpaces(ArtistField(*tag)).empty();
  const bool has_album = !TrimSpaces(tag->album).empty();
  const bool track_ok = tag->track > 0 || options.ignore_no_track;
  if (has_title && has_artist && has_album && track_ok) {
    return {
        FolderBelow(base_folder,
                    {ArtistFolder(*tag, options.id3v2), FolderComponent(tag->album, options.id3v2)},
                    separator),
        SortedFileName(*tag, options)};
  }
  if (has_title && has_artist && track_ok) {
    if (!options.no_album) return Unsorted(base_folder, kNoAlbumInfo, current_name, separator);
    return {FolderBelow(base_folder, {FolderComponent(ArtistField(*tag), options.id3v2), "Unknown"},
                        separator),
            SortedFileName(*tag, options)};
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
