#include "tags/song_tag.h"

#include "tags/genre_table.h"

namespace quillfold {

void PrintTo(const SongTag& tag, std::ostream* os) {
  *os << "{title=\"" << tag.title << "\" artist=\"" << tag.artist << "\" album_artist=\""
      << tag.album_artist << "\" album=\"" << tag.album << "\" genre=\"" << tag.genre
      << "\" track=" << tag.track << " disc=" << tag.disc << "/" << tag.disc_count << "}";
}

SongTag FromTrackTag(const TrackTag& tag) {
  SongTag song;
  song.title = tag.Title;
  song.artist = tag.Artist;
  song.album = tag.Album;
  song.genre = GenreName(tag.Genre);
  song.track = tag.Track;
  return song;
}

}  // namespace quillfold
