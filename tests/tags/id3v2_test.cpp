#include <gtest/gtest.h>

#include "platform/posix_file_system.h"
#include "sample_library/id3v2_bytes.h"
#include "tags/genre_table.h"
#include "tags/id3v2_text.h"
#include "tags/read_song_tag.h"
#include "tags/read_track_tag.h"
#include "tests/support/mp3_files.h"
#include "tests/support/parts_read_counter.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string Syncsafe(std::size_t n) {
  return {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
          static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)};
}
std::string Plain(std::size_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16 & 0xFF),
          static_cast<char>(n >> 8 & 0xFF), static_cast<char>(n & 0xFF)};
}
// A frame with a four-letter id, its size field as given, flags and body.
std::string Frame(std::string_view id, const std::string& size, std::string_view flags,
                  std::string_view body) {
  return std::string(id) + size + std::string(flags) + std::string(body);
}
std::string Tag(int major, std::uint8_t flags, const std::string& body) {
  return "ID3" + std::string{static_cast<char>(major), '\0', static_cast<char>(flags)} +
         Syncsafe(body.size()) + body;
}
const std::string kNoFlags(2, '\0');

TagTrailer Trailer(std::string_view file) {
  TagTrailer trailer{};
  std::copy(file.end() - kTrailerSize, file.end(), trailer.begin());
  return trailer;
}

TEST(Id3v2TextTest, EachEncodingGivesTheFirstValueInUtf8) {
  const struct {
    std::string body;
    std::string expected;
  } cases[] = {
      {std::string("\0Bj\xF6rk", 6), "Bj\xC3\xB6rk"},
      {std::string("\x01\xFF\xFE\x1A\x04\x38\x04\x3D\x04\x3E\x04", 11), "Кино"},
      {std::string("\x01\xFE\xFF\x04\x1A\x04\x38", 7), "Ки"},
      {std::string("\x02\x00S\xD8\x3D\xDE\x00", 7), "S\xF0\x9F\x98\x80"},
      {"\x03Sigur R\xC3\xB3s", "Sigur R\xC3\xB3s"},
      {std::string("\x03One\0Two", 8), "One"},
      {std::string("\x01\xFF\xFEO\0\0\0T\0", 9), "O"},
      {std::string("\x02\xD8\x3D\0A", 5),
       "\xEF\xBF\xBD"
       "A"},                           // lone high surrogate
      {"\x03\xC3(", "\xEF\xBF\xBD("},  // broken UTF-8
      {"\x07x", "\xEF\xBF\xBD"},       // unknown encoding
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextFrame(Of(c.body)), c.expected) << c.body;
}

TEST(Id3v2TextTest, TrackDiscAndGenreValues) {
  FillGenreTable();
  EXPECT_EQ(ParseNumberPair("3/12"), (NumberPair{3, 12}));
  EXPECT_EQ(ParseNumberPair(" 1 / 2"), (NumberPair{1, 2}));
  EXPECT_EQ(ParseNumberPair("7"), (NumberPair{7, 0}));
  EXPECT_EQ(ParseNumberPair("10000/x"), (NumberPair{0, 0}));
  EXPECT_EQ(ParseNumberPair("A1"), (NumberPair{0, 0}));
  const std::pair<std::string, std::string> genres[] = {
      {"(17)Rock", "Rock"}, {"(17)", "Rock"},       {"17", "Rock"},
      {"Rock", "Rock"},     {"(123)", "A Capella"}, {"(24)Soundtrack", "Soundtrack"},
      {"(RX)", "Remix"},    {"((Odd)", "(Odd)"},    {"300", ""},
      {"(255)", ""},        {"(17", "(17"},
  };
  for (const auto& [tcon, name] : genres) EXPECT_EQ(GenreFromTcon(tcon), name) << tcon;
}

TEST(Id3v2ReaderTest, VersionsLayoutsAndFlags) {
  const std::string title_v4 =
      "\x03"
      "Title";
  const struct {
    std::string what;
    std::string tag;
    std::optional<Id3v2Fields> expected;
  } cases[] = {
      {"v2.4 extended header, per-frame unsynchronisation with data length",
       Tag(4, 0x40,
           Syncsafe(6) + std::string("\x01\0", 2) +
               Frame("TALB", Syncsafe(9), std::string("\0\x03", 2),
                     std::string("\0\0\0\x04\0\xC3\xFF\0\xA9", 9))),
       Id3v2Fields{.album = "\xC3\x83\xC3\xBF\xC2\xA9"}},
      {"v2.4 size written as a plain integer",
       Tag(4, 0,
           Frame("TIT2", Plain(129), kNoFlags, "\x03" + std::string(128, 'x')) +
               Frame("TPE1", Syncsafe(2), kNoFlags,
                     "\x03"
                     "A")),
       Id3v2Fields{.title = std::string(128, 'x'), .artist = "A"}},
      {"compressed and encrypted frames skipped",
       Tag(4, 0,
           Frame("TIT2", Syncsafe(6), std::string("\0\x08", 2), title_v4) +
               Frame("TPE1", Syncsafe(6), std::string("\0\x04", 2), title_v4) +
               Frame("TALB", Syncsafe(6), kNoFlags, title_v4)),
       Id3v2Fields{.album = "Title"}},
      {"a frame past the tag ends the reading, what was read stays",
       Tag(4, 0,
           Frame("TIT2", Syncsafe(6), kNoFlags, title_v4) +
               Frame("TPE1", Syncsafe(900), kNoFlags, title_v4)),
       Id3v2Fields{.title = "Title"}},
      {"padding ends the frames", Tag(3, 0, std::string(20, '\0')), Id3v2Fields{}},
      {"no tag", "ID4\x04" + std::string(20, '\0'), std::nullopt},
      {"size with a top bit", "ID3\x04\0\0\x80\0\0\0", std::nullopt},
  };
  for (const auto& c : cases) {
    const Bytes bytes = Of(c.tag);
    BufferedBytes source(bytes);
    EXPECT_EQ(ReadId3v2(source), c.expected) << c.what;
  }
}

TEST(Id3v2ReaderTest, EachFieldFromId3v2UnlessBlankThenFromId3v1) {
  FillGenreTable();
  TrackTag old;
  DecodeTrackTag(Trailer(testing::TaggedMp3({"Old Title",
                                             "D\xE9"
                                             "but",
                                             "Old Album", 4, 24})),
                 old);
  const Id3v2Fields fields{.title = "  ",
                           .artist = "Bj\xC3\xB6rk",
                           .album_artist = "Various",
                           .track = "x/9",
                           .disc = "2/3",
                           .genre = "(17)"};
  EXPECT_EQ(MergedTag(fields, old), (SongTag{.title = "Old Title",
                                             .artist = "Bj\xC3\xB6rk",
                                             .album_artist = "Various",
                                             .album = "Old Album",
                                             .genre = "Rock",
                                             .track = 4,
                                             .disc = 2,
                                             .disc_count = 3}));
  EXPECT_EQ(MergedTag(std::nullopt, old), (SongTag{.title = "Old Title",
                                                   .artist = "D\xC3\xA9"
                                                             "but",
                                                   .album = "Old Album",
                                                   .genre = "Soundtrack",
                                                   .track = 4}));
}

TEST(Id3v2ReaderTest, ReadsTheHeadOnceAndPassesOverCoverArt) {
  FillGenreTable();
  const std::vector<bench::Id3v2TextFrame> frames = {
      {"TIT2", "Hyperballad"}, {"TPE1", "Bj\xC3\xB6rk"}, {"TALB", "Post"}, {"TRCK", "3/12"}};
  const SongTag expected{
      .title = "Hyperballad", .artist = "Bj\xC3\xB6rk", .album = "Post", .genre = "", .track = 3};
  constexpr std::size_t kPicture = 30 * 1024;
  const struct {
    std::string what;
    std::string content;
    std::vector<std::uint64_t> offsets;
  } cases[] = {
      {"v2.4 alone", bench::EncodeId3v2({.frames = frames}) + "audio", {0}},
      {"v2.3 with padding and ID3v1",
       bench::EncodeId3v2({.major = 3, .frames = frames, .padding = 2048}) +
           testing::TaggedMp3({"Other", "Other", "Other", 9}),
       {0}},
      {"cover art first",
       bench::EncodeId3v2({.frames = frames, .picture_bytes = kPicture}) + std::string(99999, 'a'),
       {0, 10 + 10 + kPicture}},
  };
  testing::TempFolder folder;
  for (const auto& c : cases) {
    testing::WriteFile(folder / "a.mp3", c.content);
    testing::PartsReadCounter counting(RealFileSystem());
    SongTag tag;
    int error = -1;
    EXPECT_TRUE(ReadSongTag(counting, folder / "a.mp3", tag, error)) << c.what;
    EXPECT_EQ(tag, expected) << c.what;
    EXPECT_EQ(counting.offsets(), c.offsets) << c.what;
  }
  testing::WriteFile(folder / "b.mp3", "no tag at all");
  SongTag untouched;
  int error = -1;
  EXPECT_FALSE(ReadSongTag(RealFileSystem(), folder / "b.mp3", untouched, error));
  EXPECT_EQ(untouched, SongTag{});
  EXPECT_FALSE(StartsWithId3v2(RealFileSystem(), folder / "b.mp3"));
  EXPECT_TRUE(StartsWithId3v2(RealFileSystem(), folder / "a.mp3"));
}

}  // namespace
}  // namespace quillfold
