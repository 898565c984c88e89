#include "organize/placement.h"

#include <gtest/gtest.h>

#include "tags/genre_table.h"

namespace quillfold {
namespace {

// An ID3v1 tag as the reader leaves it (every text padded to its width),
// taken as the ID3v1 mode takes it.
SongTag Tag(std::string title, std::string artist, std::string album, std::int16_t track,
            std::uint8_t genre = 255) {
  TrackTag tag;
  tag.TagId = "TAG";
  tag.Title = title.append(30 - title.size(), ' ');
  tag.Artist = artist.append(30 - artist.size(), ' ');
  tag.Album = album.append(30 - album.size(), ' ');
  tag.Track = track;
  tag.Genre = genre;
  return FromTrackTag(tag);
}

// A song of the ID3v2 mode, by its artist, album artist and disc.
SongTag Song(std::string artist, std::string album_artist, int disc, int discs) {
  return SongTag{.title = "Hyperballad / Remix?",
                 .artist = std::move(artist),
                 .album_artist = std::move(album_artist),
                 .album = "Post",
                 .track = 3,
                 .disc = disc,
                 .disc_count = discs};
}

// `folder` below D:\Music\ and `name`.
Placement At(const std::string& folder, const std::string& name) {
  return {"D:\\Music\\" + folder, name};
}
Placement Unsorted(const std::string& why) { return At("UNSORTED - " + why + "\\", "Track+1.MP3"); }
const Placement kPost = At("B\\Post\\", "03. Hyperballad  Remix.mp3");

const PlacementOptions kDefaults;
const PlacementOptions kV2{.id3v2 = true};
const PlacementOptions kStrict{.track_name = true, .ignore_no_track = false, .no_album = false};
const PlacementOptions kNoNumber{.track_name = false};

TEST(PlacementTest, EachTagAndOptionSetGivesItsFolderAndName) {
  FillGenreTable();
  const std::string title(60, 't');
  const struct {
    std::string what;
    std::optional<SongTag> tag;
    PlacementOptions options;
    Placement expected;
  } cases[] = {
      {"no tag", std::nullopt, kDefaults, Unsorted("No ID3v1 Tag")},
      {"no album", Tag("Song", "Band", "", 1), kStrict, Unsorted("No Album Info")},
      {"no title", Tag("", "Band", "Album", 1), kStrict, Unsorted("No Song Title")},
      {"blank title", Tag("   ", "Band", "Album", 1), kStrict, Unsorted("No Song Title")},
      {"no artist", Tag("Song", "", "Album", 1), kStrict, Unsorted("No Artist Info")},
      {"no track", Tag("Song", "Band", "Album", 0), kStrict, Unsorted("No Track Number")},
      {"no album or track", Tag("Song", "Band", "", 0), kStrict, Unsorted("Multiple Data Missing")},
      {"no album or title, tracks ignored", Tag("", "B", "", 3), kDefaults,
       Unsorted("Multiple Data Missing")},
      {"nothing at all", Tag("", "", "", 0), kDefaults, Unsorted("Multiple Data Missing")},
      {"plain", Tag("Song", "Band", "Album", 7), kDefaults, At("Band\\Album\\", "07. Song.mp3")},
      {"no number", Tag("Song", "Band", "Album", 7), kNoNumber, At("Band\\Album\\", "Song.mp3")},
      {"track 0", Tag("Intro", "Band", "Album", 0), kDefaults, At("Band\\Album\\", "Intro.mp3")},
      {"three digits", Tag("Long", "B", "A", 255), kDefaults, At("B\\A\\", "255. Long.mp3")},
      {"title cleaned as a whole", Tag("Who Knows?", "AC/DC", "...Live. ", 12), kDefaults,
       At("ACDC\\Live\\", "12. Who Knows.mp3")},
      {"blanks left by removed dots", Tag("...And After", ". Band", "x . .", 3), kNoNumber,
       At("Band\\x .\\", "And After.mp3")},
      {"only dropped characters", Tag("???", "***", "...", 0), kDefaults, At("_\\_\\", "mp3")},
      {"Unknown album", Tag("Song", "B", "", 4), kDefaults, At("B\\Unknown\\", "04. Song.mp3")},
      {"A Capella", Tag("Song", "Choir", "Voices", 1, 123), kDefaults,
       At("Kids\\Voices\\", "01. Song.mp3")},
      {"Soundtrack", Tag("Theme", "C", "Film", 2, 24), kDefaults,
       At("Various Artists\\Film\\", "02. Theme.mp3")},
      {"unnamed genre", Tag("Song", "B", "A", 1, 148), kDefaults, At("B\\A\\", "01. Song.mp3")},
      {"Soundtrack without album", Tag("Theme", "C", "", 2, 24), kDefaults,
       At("C\\Unknown\\", "02. Theme.mp3")},
      {"letters of every script", Song("Bj\xC3\xB6rk", "", 0, 0), kV2,
       At("Bj\xC3\xB6rk\\Post\\", "03. Hyperballad  Remix.mp3")},
      {"album artist names the folder", Song("Guest", "B", 0, 0), kV2, kPost},
      {"album artist alone counts as the artist", Song("", "AC/DC", 0, 0), kV2,
       At("ACDC\\Post\\", "03. Hyperballad  Remix.mp3")},
      {"disc 2 of 2", Song("B", "", 2, 2), kV2, At("B\\Post\\", "2-03. Hyperballad  Remix.mp3")},
      {"disc 1 of 1 is no multi-disc album", Song("B", "", 1, 1), kV2, kPost},
      {"disc 2 of ?", Song("B", "", 2, 0), kV2, At("B\\Post\\", "2-03. Hyperballad  Remix.mp3")},
      {"discs without a track number wanted",
       Song("B", "", 2, 2),
       {.track_name = false, .id3v2 = true},
       At("B\\Post\\", "Hyperballad  Remix.mp3")},
      {"long titles not cut", SongTag{.title = title, .artist = "B", .album = "A", .track = 1}, kV2,
       At("B\\A\\", "01. " + title + ".mp3")},
      {"the ID3v1 mode numbers no discs", Song("B", "", 2, 2), kDefaults, kPost},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecidePlacement(c.tag, c.options, "D:\\Music\\", "Track+1.MP3", '\\'), c.expected)
        << c.what;
  }
}

TEST(PlacementTest, CurrentNameIsTheTextAfterTheLastSeparator) {
  EXPECT_EQ(CurrentName("Old\\Live\\track3.mp3", '\\'), "track3.mp3");
  EXPECT_EQ(CurrentName("track3.mp3", '\\'), "track3.mp3");
  EXPECT_EQ(CurrentName("a/b\\c.mp3", '/'), "b\\c.mp3");
}

}  // namespace
}  // namespace quillfold
