#include "tags/read_track_tag.h"

#include <algorithm>
#include <string_view>

namespace quillfold {
namespace {

constexpr std::size_t kTitleAt = 3;
constexpr std::size_t kArtistAt = 33;
constexpr std::size_t kAlbumAt = 63;
constexpr std::size_t kYearAt = 93;
constexpr std::size_t kCommentAt = 97;
constexpr std::size_t kTrackMarkerAt = 125;
constexpr std::size_t kTrackAt = 126;
constexpr std::size_t kGenreAt = 127;
constexpr std::size_t kTextWidth = 30;
constexpr std::size_t kVersionWidth = 10;

// `length` bytes from `offset`, every NUL turned into a space, padded with
// spaces to `width`.
std::string TextField(const TagTrailer& trailer, std::size_t offset, std::size_t length,
                      std::size_t width) {
  std::string text(width, ' ');
  std::transform(trailer.begin() + static_cast<std::ptrdiff_t>(offset),
                 trailer.begin() + static_cast<std::ptrdiff_t>(offset + length), text.begin(),
                 [](std::uint8_t byte) { return byte == 0 ? ' ' : static_cast<char>(byte); });
  return text;
}

std::string Padded(std::string_view text, std::size_t width) {
  std::string padded(text);
  padded.resize(width, ' ');
  return padded;
}

}  // namespace

bool DecodeTrackTag(const TagTrailer& trailer, TrackTag& tag) {
  TrackTag decoded;
  decoded.TagId = TextField(trailer, 0, 3, 3);
  if (decoded.TagId != "TAG") return false;
  decoded.Title = TextField(trailer, kTitleAt, kTextWidth, kTextWidth);
  decoded.Artist = TextField(trailer, kArtistAt, kTextWidth, kTextWidth);
  decoded.Album = TextField(trailer, kAlbumAt, kTextWidth, kTextWidth);
  decoded.Year = TextField(trailer, kYearAt, 4, 4);
  // The layout is decided on the raw bytes, before any NUL becomes a space.
  const bool has_track = trailer[kTrackMarkerAt] == 0 && trailer[kTrackAt] != 0;
  if (has_track) {
    decoded.Track = trailer[kTrackAt];
    decoded.Comment = TextField(trailer, kCommentAt, kTextWidth - 2, kTextWidth);
    decoded.TagVersion = Padded("ID3v1.1", kVersionWidth);
  } else {
    decoded.Track = 0;
    decoded.Comment = TextField(trailer, kCommentAt, kTextWidth, kTextWidth);
    decoded.TagVersion = Padded("ID3v1.0", kVersionWidth);
  }
  decoded.Genre = trailer[kGenreAt];
  tag = std::move(decoded);
  return true;
}

bool ReadTrackTag(FileSystem& file_system, const std::string& path, TrackTag& tag, FileRead& read) {
  TagTrailer trailer{};
  const TailRead tail = file_system.ReadOrdinaryFileTail(path, trailer);
  read = {tail.error, tail.identity};
  return tail.read && DecodeTrackTag(trailer, tag);
}

}  // namespace quillfold
