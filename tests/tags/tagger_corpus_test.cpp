// Files tagged by the taggers people use (made at test time by the Debian
// packages eyeD3, python3-mutagen, id3v2, ffmpeg and lame; a missing tool
// skips its files with a line) and a few written here where no tool writes
// the layout (ID3v2.2, an extended header, unsynchronisation, cover art
// before the text). Each file is read by our reader and by TagLib, and both
// must give the fields the tagger was told to write.
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

#include <iostream>

#include "platform/posix_file_system.h"
#include "sample_library/id3v2_bytes.h"
#include "sample_library/mp3_bytes.h"
#include "tags/genre_table.h"
#include "tags/id3v2_text.h"
#include "tags/read_song_tag.h"
#include "tests/support/mp3_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

const std::string kTitle60 = "A Title Of Sixty Characters That No ID3v1 Tag Could Ever Hol";
const std::string kBjork = "Bj\xC3\xB6rk";
const std::string kDebut =
    "D\xC3\xA9"
    "but";
const std::string kKino = "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE";

struct CorpusFile {
  std::string what;
  std::string tool;     // the program the command needs; empty: `bytes` is the file
  std::string command;  // a shell command that makes "a.mp3" from "in.mp3" or "in.raw"
  std::string bytes;    // what "in.mp3" and "in.raw" hold
  SongTag expected;
  // Where TagLib 1.13 is known to read the file wrong: why (its view is then
  // not compared).
  std::string taglib_known_wrong{};
};

std::vector<CorpusFile> Corpus() {
  const SongTag full{.title = kTitle60,
                     .artist = kBjork,
                     .album_artist = "Various",
                     .album = kDebut,
                     .genre = "Rock",
                     .track = 3,
                     .disc = 1,
                     .disc_count = 2};
  const std::vector<bench::Id3v2TextFrame> v3_frames = {
      {"TIT2", kTitle60}, {"TPE1", kKino}, {"TALB", kDebut}, {"TRCK", "7"}, {"TCON", "(24)"}};
  const SongTag v3{
      .title = kTitle60, .artist = kKino, .album = kDebut, .genre = "Soundtrack", .track = 7};
  const std::string audio = bench::MpegFrames(8);
  const std::string copy = "cp in.mp3 a.mp3 && ";
  return {
      {"mid3v2: v2.4, UTF-8, no ID3v1", "mid3v2",
       copy + "mid3v2 -t '" + kTitle60 + "' -a '" + kBjork + "' -A '" + kDebut +
           "' -T 3/12 --TPOS 1/2 --TPE2 Various -g Rock a.mp3",
       audio, full},
      {"mutagen: several values, v2.4 in UTF-16",
       "/usr/bin/python3",
       copy +
           "/usr/bin/python3 -c \"from mutagen.id3 import ID3, TPE1, TIT2, TALB, TCON\nt = ID3()\n"
           "t.add(TPE1(encoding=1, text=['" +
           kKino +
           "', 'Other']))\n"
           "t.add(TIT2(encoding=1, text=['Song']))\nt.add(TALB(encoding=1, text=['LP']))\n"
           "t.add(TCON(encoding=1, text=['(17)Rock']))\nt.save('a.mp3')\"",
       audio,
       {.title = "Song", .artist = kKino, .album = "LP", .genre = "Rock"},
       "it joins several values into one text"},
      {"eyeD3: v2.3 with disc, album artist and a genre name",
       "eyeD3",
       copy + "eyeD3 --quiet --to-v2.3 -t Theme -a '" + kBjork +
           "' -b Composer -A Film -n 2 -N 9 -d 2 -D 2 -G Soundtrack a.mp3",
       audio,
       {.title = "Theme",
        .artist = kBjork,
        .album_artist = "Composer",
        .album = "Film",
        .genre = "Soundtrack",
        .track = 2,
        .disc = 2,
        .disc_count = 2}},
      {"id3v2 (id3lib): v2.3 and an ID3v1 tag that disagrees and fills the album",
       "id3v2",
       copy + "id3v2 -2 -t 'Hells Bells' -a AC/DC -T 1/10 -g 17 a.mp3 && "
              "id3v2 -1 -t Other -a Other -A 'Back in Black' -T 5 a.mp3",
       audio,
       {.title = "Hells Bells",
        .artist = "AC/DC",
        .album = "Back in Black",
        .genre = "Rock",
        .track = 1}},
      {"ffmpeg: v2.4 without ID3v1",
       "ffmpeg",
       "ffmpeg -loglevel error -i in.mp3 -c copy -metadata 'title=" + kTitle60 +
           "' -metadata 'artist=" + kKino + "' -metadata album_artist=Various -metadata 'album=" +
           kDebut + "' -metadata track=4/5 -metadata disc=2/3 a.mp3",
       audio,
       {.title = kTitle60,
        .artist = kKino,
        .album_artist = "Various",
        .album = kDebut,
        .track = 4,
        .disc = 2,
        .disc_count = 3}},
      {"lame: tags written while encoding",
       "lame",
       "lame --quiet -r -s 44.1 --bitwidth 16 -m m --id3v2-only --tt Intro --ta 'Sigur R\xC3\xB3s'"
       " --tl Takk --tn 1/11 --tg Ambient in.raw a.mp3",
       std::string(44100, '\0'),
       {.title = "Intro",
        .artist = "Sigur R\xC3\xB3s",
        .album = "Takk",
        .genre = "Ambient",
        .track = 1}},
      {"v2.2 three-letter frames", "", "",
       bench::EncodeId3v2({.major = 2,
                           .frames = {{"TT2", kTitle60},
                                      {"TP1", kKino},
                                      {"TAL", kDebut},
                                      {"TRK", "7"},
                                      {"TCO", "(24)"}}}) +
           audio,
       v3},
      {"v2.3 unsynchronisation", "", "",
       bench::EncodeId3v2({.major = 3, .frames = v3_frames, .unsynchronised = true}) + audio, v3},
      {"v2.3 extended header", "", "",
       bench::EncodeId3v2({.major = 3, .frames = v3_frames, .extended_header = true}) + audio, v3,
       "it counts an ID3v2.3 extended header's size as ID3v2.4 does, with its own four bytes"},
      {"v2.4 with 30 KiB of cover art before the text frames",
       "",
       "",
       bench::EncodeId3v2({.frames = {{"TIT2", "Hyperballad"},
                                      {"TPE1", kBjork},
                                      {"TALB", "Post"},
                                      {"TRCK", "3/12"},
                                      {"TCON", "Rock"}},
                           .picture_bytes = 30 * 1024}) +
           audio,
       {.title = "Hyperballad", .artist = kBjork, .album = "Post", .genre = "Rock", .track = 3}},
  };
}

std::string Text(const TagLib::String& text) { return text.to8Bit(true); }

// The fields as TagLib gives them (ID3v2 first, ID3v1 for blank fields).
SongTag TagLibView(const std::string& path) {
  TagLib::MPEG::File file(path.c_str());
  SongTag tag;
  const TagLib::Tag* merged = file.tag();
  tag.title = Text(merged->title());
  tag.artist = Text(merged->artist());
  tag.album = Text(merged->album());
  tag.genre = Text(merged->genre());
  tag.track = static_cast<int>(merged->track());
  if (TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag()) {
    const auto& frames = id3v2->frameListMap();
    if (frames.contains("TPE2")) tag.album_artist = Text(frames["TPE2"].front()->toString());
    if (frames.contains("TPOS")) {
      const NumberPair disc = ParseNumberPair(Text(frames["TPOS"].front()->toString()));
      tag.disc = disc.number;
      tag.disc_count = disc.count;
    }
  }
  return tag;
}

bool ToolMissing(const std::string& program) {
  return testing::RunProgram("/bin/sh", {"-c", "command -v " + program}, "/").status != 0;
}

TEST(TaggerCorpusTest, OurReaderAndTagLibReadWhatEachTaggerWrote) {
  FillGenreTable();
  for (const CorpusFile& c : Corpus()) {
    if (!c.tool.empty() && ToolMissing(c.tool)) {
      std::cout << "skipped, " << c.tool << " is not installed: " << c.what << "\n";
      continue;
    }
    const testing::TempFolder folder;
    testing::WriteFile(folder / "in.mp3", c.bytes);
    testing::WriteFile(folder / "in.raw", c.bytes);
    const std::string command = c.tool.empty() ? "cp in.mp3 a.mp3" : c.command;
    const testing::ProgramResult made =
        testing::RunProgram("/bin/sh", {"-c", command}, folder.path());
    EXPECT_EQ(made.status, 0) << c.what << ": " << made.err;
    if (made.status != 0) continue;
    SongTag ours;
    int error = 0;
    EXPECT_TRUE(ReadSongTag(RealFileSystem(), folder / "a.mp3", ours, error)) << c.what;
    EXPECT_EQ(ours, c.expected) << c.what;
    if (!c.taglib_known_wrong.empty()) {
      std::cout << "not compared with TagLib 1.13, " << c.taglib_known_wrong << ": " << c.what
                << "\n";
      continue;
    }
    EXPECT_EQ(TagLibView(folder / "a.mp3"), c.expected) << c.what << " (TagLib)";
  }
}

}  // namespace
}  // namespace quillfold
