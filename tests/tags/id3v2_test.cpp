#include <gtest/gtest.h>

#include "platform/posix_file_system.h"
#include "sample_library/id3v2_bytes.h"
#include "tags/genre_table.h"
#include "tags/id3v2_text.h"
#include "tags/read_song_tag.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string Syncsafe(std::size_t n) { return bench::Id3v2SizeBytes(n, true); }
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
  const std::pair<std::string, NumberPair> pairs[] = {
      {"3/12", {3, 12}}, {" 1 / 2", {1, 2}}, {"7", {7, 0}}, {"10000/x", {0, 0}}, {"A1", {0, 0}}};
  for (const auto& [text, pair] : pairs) EXPECT_EQ(ParseNumberPair(text), pair) << text;
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
      {"v2.4 size written as a plain integer that also reads as a syncsafe one",
       Tag(4, 0,
           Frame("TIT2", bench::Id3v2SizeBytes(256, false), kNoFlags,
                 "\x03" + std::string(255, 'x')) +
               Frame("TPE1", Syncsafe(2), kNoFlags,
                     "\x03"
                     "A")),
       Id3v2Fields{.title = std::string(255, 'x'), .artist = "A"}},
      {"compressed and encrypted frames skipped",
       Tag(4, 0,
           Frame("TIT2", Syncsafe(6), std::string("\0\x08", 2), title_v4) +
               Frame("TPE1", Syncsafe(6), std::string("\0\x04", 2), title_v4) +
               Frame("TALB", Syncsafe(6), kNoFlags, title_v4)),
       Id3v2Fields{.album = "Title"}},
      {"a frame past the tag ends the reading, what was read stays",
       Tag(4, 0,
           Frame("TIT2", Syncsafe(6), kNoFlags, title_v4) +
               Frame("TPE1", Syncsafe(900), kNoFlags, title_v4)) +
           std::string(1000, 'a'),
       Id3v2Fields{.title = "Title"}},
      {"a tag past the file's end: the frame cut short is not read",
       Tag(4, 0,
           Frame("TIT2", Syncsafe(6), kNoFlags, title_v4) +
               Frame("TPE1", Syncsafe(46), kNoFlags, "\x03" + std::string(45, 'b')))
           .substr(0, 10 + 16 + 10 + 6),
       Id3v2Fields{.title = "Title"}},
      {"size with a top bit", "ID3\x04\0\0\x80\0\0\0", std::nullopt},
  };
  for (const auto& c : cases) {
    const Bytes bytes = Of(c.tag);
    BufferedBytes source(bytes);
    EXPECT_EQ(ReadId3v2(source), c.expected) << c.what;
  }
}

// A file's end is read only when its ID3v2 tag leaves blank a field that
// its ID3v1 tag could fill in: each row blanks one field (or none). The
// ID3v1 text is Latin-1.
TEST(Id3v2ReaderTest, TheEndIsReadOnlyWhenId3v1MayFillABlankField) {
  FillGenreTable();
  const struct {
    const char* id;
    const char* text;
    void (*fill_from_id3v1)(SongTag&);
  } fields[] = {
      {"TIT2", "Title", [](SongTag& tag) { tag.title = "Old"; }},
      {"TPE1", "Band", [](SongTag& tag) { tag.artist = "Old B\xC3\xA4nd"; }},
      {"TALB", "Album", [](SongTag& tag) { tag.album = "Old Album"; }},
      {"TRCK", "3", [](SongTag& tag) { tag.track = 9; }},
      {"TCON", "(17)", [](SongTag& tag) { tag.genre = "Soundtrack"; }},
  };
  const std::string id3v1 = testing::TaggedMp3({"Old", "Old B\xE4nd", "Old Album", 9, 24}, "");
  testing::TempFolder folder;
  for (std::size_t blank = 0; blank <= std::size(fields); ++blank) {
    bench::Id3v2Layout layout;
    SongTag expected{
        .title = "Title", .artist = "Band", .album = "Album", .genre = "Rock", .track = 3};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
      layout.frames.push_back({fields[i].id, i == blank ? " " : fields[i].text});
      if (i == blank) fields[i].fill_from_id3v1(expected);
    }
    testing::WriteFile(folder / "a.mp3",
                       bench::EncodeId3v2(layout) + std::string(kTagHeadSize, '\xFF') + id3v1);
    testing::FaultyFileSystem counting(RealFileSystem());
    SongTag tag;
    FileRead read;
    EXPECT_TRUE(ReadSongTag(counting, folder / "a.mp3", tag, read)) << blank;
    EXPECT_EQ(tag, expected) << blank;
    EXPECT_EQ(counting.part_offsets().size(), blank < std::size(fields) ? 2u : 1u) << blank;
  }
}

// (Files with tags, and how often they are read: tagger_corpus_test.cpp.) A
// file of nothing but an ID3v1 tag is shorter than the tail the reader asks
// for, yet read.
TEST(Id3v2ReaderTest, ShortFilesAndFilesWithNeitherTag) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "a.mp3", "no tag at all");
  SongTag tag;
  FileRead error{-1};
  EXPECT_FALSE(ReadSongTag(RealFileSystem(), folder / "a.mp3", tag, error));
  EXPECT_EQ(tag, SongTag{});
  EXPECT_EQ(error.error, 0);
  EXPECT_FALSE(HasId3v2Tag(RealFileSystem(), folder / "a.mp3"));
  testing::WriteFile(folder / "b.mp3", testing::TaggedMp3({"Song", "Band", "Album", 1}, ""));
  EXPECT_TRUE(ReadSongTag(RealFileSystem(), folder / "b.mp3", tag, error));
  EXPECT_EQ(tag, (SongTag{.title = "Song", .artist = "Band", .album = "Album", .track = 1}));
  testing::WriteFile(folder / "c.mp3", bench::EncodeId3v2({}));
  testing::WriteFile(folder / "d.mp3",
                     std::string(4096, '\xFF') + bench::EncodeId3v2({.footer = true}));
  for (const char* name : {"c.mp3", "d.mp3"})
    EXPECT_TRUE(HasId3v2Tag(RealFileSystem(), folder / name)) << name;
}

}  // namespace
}  // namespace quillfold
