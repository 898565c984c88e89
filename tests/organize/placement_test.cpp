#include "organize/placement.h"

#include <gtest/gtest.h>

#include "tags/genre_table.h"

namespace quillfold {
namespace {

constexpr std::string_view kBase = "D:\\Music\\";

// A tag as the reader leaves it: every text padded to its width.
TrackTag Tag(std::string title, std::string artist, std::string album, std::int16_t track,
             std::uint8_t genre = 255) {
  TrackTag tag;
  tag.TagId = "TAG";
  tag.Title = title.append(30 - title.size(), ' ');
  tag.Artist = artist.append(30 - artist.size(), ' ');
  tag.Album = album.append(30 - album.size(), ' ');
  tag.Track = track;
  tag.Genre = genre;
  return tag;
}

struct PlacementCase {
  std::string what;
  std::optional<TrackTag> tag;
  PlacementOptions options;
  Placement expected;
};

class PlacementTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { FillGenreTable(); }
  static void Check(const std::vector<PlacementCase>& cases) {
    for (const auto& c : cases) {
      EXPECT_EQ(DecidePlacement(c.tag, c.options, kBase, "Track+1.MP3", '\\'), c.expected)
          << c.what;
    }
  }
};

const PlacementOptions kDefaults;
const PlacementOptions kStrict{.track_name = true, .ignore_no_track = false, .no_album = false};

TEST_F(PlacementTest, UnsortedFoldersLieInTheBaseAndKeepTheCurrentName) {
  const auto unsorted = [](std::string folder) {
    return Placement{"D:\\Music\\UNSORTED - " + folder + "\\", "Track+1.MP3"};
  };
  Check({
      {"no tag", std::nullopt, kDefaults, unsorted("No ID3v1 Tag")},
      {"no album", Tag("Song", "Band", "", 1), kStrict, unsorted("No Album Info")},
      {"no title", Tag("", "Band", "Album", 1), kStrict, unsorted("No Song Title")},
      {"blank title", Tag("   ", "Band", "Album", 1), kStrict, unsorted("No Song Title")},
      {"no artist", Tag("Song", "", "Album", 1), kStrict, unsorted("No Artist Info")},
      {"no track", Tag("Song", "Band", "Album", 0), kStrict, unsorted("No Track Number")},
      {"no album, no track", Tag("Song", "Band", "", 0), kStrict,
       unsorted("Multiple Data Missing")},
      {"no album, no track, ignoring tracks", Tag("", "Band", "", 3), kDefaults,
       unsorted("Multiple Data Missing")},
      {"nothing at all", Tag("", "", "", 0), kDefaults, unsorted("Multiple Data Missing")},
  });
}

TEST_F(PlacementTest, SortedFilesGoToArtistAndAlbum) {
  Check({
      {"plain",
       Tag("Opening Song", "Some Band", "First Album", 7),
       kDefaults,
       {"D:\\Music\\Some Band\\First Album\\", "07. Opening Song.mp3"}},
      {"no number wanted",
       Tag("Opening Song", "Some Band", "First Album", 7),
       {.track_name = false},
       {"D:\\Music\\Some Band\\First Album\\", "Opening Song.mp3"}},
      {"track 0 accepted gets no prefix",
       Tag("Intro", "Band", "Album", 0),
       kDefaults,
       {"D:\\Music\\Band\\Album\\", "Intro.mp3"}},
      {"track 0 refused",
       Tag("Intro", "Band", "Album", 0),
       kStrict,
       {"D:\\Music\\UNSORTED - No Track Number\\", "Track+1.MP3"}},
      {"three digits",
       Tag("Long", "Band", "Album", 255),
       kDefaults,
       {"D:\\Music\\Band\\Album\\", "255. Long.mp3"}},
      {"title cleaned as a whole",
       Tag("Who Knows?", "AC/DC", "...Live. ", 12),
       kDefaults,
       {"D:\\Music\\ACDC\\Live\\", "12. Who Knows.mp3"}},
      {"blanks left by removed dots",
       Tag("...And After", ". Band", "x . .", 3),
       {.track_name = false},
       {"D:\\Music\\Band\\x .\\", "And After.mp3"}},
      {"only dropped characters",
       Tag("???", "***", "...", 0),
       kDefaults,
       {"D:\\Music\\_\\_\\", "mp3"}},
      {"missing album, Unknown wanted",
       Tag("Song", "Band", "", 4),
       kDefaults,
       {"D:\\Music\\Band\\Unknown\\", "04. Song.mp3"}},
  });
}

TEST_F(PlacementTest, TwoGenresReplaceTheArtistFolderExceptForUnknownAlbums) {
  Check({
      {"A Capella",
       Tag("Song", "Choir", "Voices", 1, 123),
       kDefaults,
       {"D:\\Music\\Kids\\Voices\\", "01. Song.mp3"}},
      {"Soundtrack",
       Tag("Theme", "Composer", "Film", 2, 24),
       kDefaults,
       {"D:\\Music\\Various Artists\\Film\\", "02. Theme.mp3"}},
      {"unnamed genre byte",
       Tag("Song", "Band", "Album", 1, 148),
       kDefaults,
       {"D:\\Music\\Band\\Album\\", "01. Song.mp3"}},
      {"Soundtrack without album",
       Tag("Theme", "Composer", "", 2, 24),
       kDefaults,
       {"D:\\Music\\Composer\\Unknown\\", "02. Theme.mp3"}},
  });
}

TEST(CurrentNameTest, IsTheTextAfterTheLastSeparator) {
  EXPECT_EQ(CurrentName("Old\\Live\\track3.mp3", '\\'), "track3.mp3");
  EXPECT_EQ(CurrentName("track3.mp3", '\\'), "track3.mp3");
  EXPECT_EQ(CurrentName("a/b\\c.mp3", '/'), "b\\c.mp3");
}

}  // namespace
}  // namespace quillfold
