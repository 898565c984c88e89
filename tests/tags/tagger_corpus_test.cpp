// Files tagged by the taggers people use (made at test time by the Debian
// packages eyeD3, python3-mutagen, id3v2, ffmpeg and lame; a missing tool
// skips its files with a line) and a few written here where no tool writes
// the layout (ID3v2.2, an extended header, unsynchronisation, cover art
// before the text, a tag appended before the ID3v1 tag). Each file is read
// by our reader and by TagLib, and both must give the fields the tagger was
// told to write; ours in one read for a typical file, never reading a
// picture.
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "platform/posix_file_system.h"
#include "sample_library/id3v2_bytes.h"
#include "sample_library/mp3_bytes.h"
#include "tags/genre_table.h"
#include "tags/id3v2_text.h"
#include "tags/read_song_tag.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

const std::string kTitle60 = "A Title Of Sixty Characters That No ID3v1 Tag Could Ever Hol";

struct CorpusFile {
  std::string what;
  std::string tool{};     // the program the command needs; empty: `bytes` is the file
  std::string command{};  // a shell command that makes "a.mp3" from "in.mp3" or "in.raw"
  std::string bytes{};    // what "in.mp3" and "in.raw" hold
  // Where TagLib 1.13 is known to read the file wrong: why (its view is then
  // not compared).
  std::string taglib_known_wrong{};
  // What the file holds when not the whole tag every other file holds.
  std::optional<SongTag> expected{};
  // Where each of our reader's reads begins: the head, then any text frames
  // further in; kTail stands for where the file's last kTagTailSize begin.
  std::vector<std::uint64_t> reads{0};
};

constexpr std::uint64_t kTail = UINT64_MAX;

// Every tagger writes the same fields (values in UTF-8 on the command line).
const SongTag kFull{.title = kTitle60,
                    .artist = "Bj\xC3\xB6rk",
                    .album_artist = "Various",
                    .album =
                        "D\xC3\xA9"
                        "but",
                    .genre = "Rock",
                    .track = 3,
                    .disc = 1,
                    .disc_count = 2};

std::vector<bench::Id3v2TextFrame> FullFrames(int major) {
  const std::vector<std::string> ids =
      major == 2 ? std::vector<std::string>{"TT2", "TP1", "TP2", "TAL", "TRK", "TPA", "TCO"}
                 : std::vector<std::string>{"TIT2", "TPE1", "TPE2", "TALB", "TRCK", "TPOS", "TCON"};
  const std::vector<std::string> texts = {
      kFull.title, kFull.artist, kFull.album_artist, kFull.album, "3/12", "1/2", "(17)"};
  std::vector<bench::Id3v2TextFrame> frames;
  for (std::size_t i = 0; i < ids.size(); ++i) frames.push_back({ids[i], texts[i]});
  return frames;
}

std::vector<CorpusFile> Corpus() {
  const std::string audio = bench::MpegFrames(8);
  const std::string long_audio = bench::MpegFrames(16);  // longer than the head read
  const std::string copy = "cp in.mp3 a.mp3 && ";
  const std::string names = "'" + kTitle60 + "' '" + kFull.artist + "' '" + kFull.album + "'";
  const auto made = [&](bench::Id3v2Layout layout) {
    layout.frames = FullFrames(layout.major);
    return bench::EncodeId3v2(layout) + audio;
  };
  return {
      {"mid3v2: v2.4, UTF-8, no ID3v1", "mid3v2",
       copy + "set -- " + names +
           "; mid3v2 -t \"$1\" -a \"$2\" -A \"$3\" -T 3/12 --TPOS 1/2 --TPE2 Various -g Rock a.mp3",
       audio},
      // python3-mutagen, which the command imports, comes with mid3v2.
      {"mutagen: several values, v2.4 in UTF-16", "mid3v2",
       copy + "set -- " + names +
           "; /usr/bin/python3 -c \"import mutagen.id3 as m\nt = m.ID3()\n"
           "for i, v in [('TPE1', ['$2', 'Other']), ('TIT2', ['$1']), ('TPE2', ['Various']), "
           "('TALB', ['$3']), ('TRCK', ['3/12']), ('TPOS', ['1/2']), ('TCON', ['(17)Rock'])]: "
           "t.add(getattr(m, i)(encoding=1, text=v))\nt.save('a.mp3')\"",
       audio, "it joins several values into one text"},
      {"eyeD3: v2.3", "eyeD3",
       copy + "set -- " + names +
           "; eyeD3 --quiet --to-v2.3 -t \"$1\" -a \"$2\" -A \"$3\" -b Various -n 3 -N 12 "
           "-d 1 -D 2 -G Rock a.mp3",
       audio},
      {"id3v2 (id3lib): v2.3 and an ID3v1 tag that disagrees and fills the album",
       "id3v2",
       copy + "id3v2 -2 -t 'Hells Bells' -a AC/DC -T 1/10 -g 17 a.mp3 && "
              "id3v2 -1 -t Other -a Other -A 'Back in Black' -T 5 a.mp3",
       audio,
       "",
       SongTag{.title = "Hells Bells",
               .artist = "AC/DC",
               .album = "Back in Black",
               .genre = "Rock",
               .track = 1},
       {0, kTail}},
      {"ffmpeg: v2.4 without ID3v1", "ffmpeg",
       "set -- " + names +
           "; ffmpeg -loglevel error -i in.mp3 -c copy -metadata \"title=$1\" -metadata "
           "\"artist=$2\" -metadata \"album=$3\" -metadata album_artist=Various -metadata "
           "track=3/12 -metadata disc=1/2 -metadata genre=Rock a.mp3",
       audio},
      {"lame: tags written while encoding", "lame",
       "set -- " + names +
           "; lame --quiet -r -s 44.1 --bitwidth 16 -m m --id3v2-only --tt \"$1\" --ta \"$2\" "
           "--tl \"$3\" --tn 3/12 --tg Rock --tv TPE2=Various --tv TPOS=1/2 in.raw a.mp3",
       std::string(44100, '\0')},
      {"v2.2 three-letter frames", "", "", made({.major = 2})},
      {"v2.3 unsynchronisation", "", "", made({.major = 3, .unsynchronised = true})},
      {"v2.3 extended header", "", "", made({.major = 3, .extended_header = true}),
       "it counts an ID3v2.3 extended header's size as ID3v2.4 does, with its own four bytes"},
      {.what = "v2.4 with 30 KiB of cover art before the text frames",
       .bytes = made({.picture_bytes = 30 * 1024}),
       .reads = {0, 10 + 10 + 30 * 1024}},
      {.what = "v2.4 appended before an ID3v1 tag",
       .bytes = long_audio + bench::EncodeId3v2({.frames = FullFrames(4), .footer = true}) +
                testing::TaggedMp3({"Other", "Other", "Other", 9}, ""),
       .taglib_known_wrong = "it reads no tag appended after the audio",
       .reads = {0, kTail, long_audio.size()}},
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
    testing::FaultyFileSystem counting(RealFileSystem());
    SongTag ours;
    FileRead error;
    EXPECT_TRUE(ReadSongTag(counting, folder / "a.mp3", ours, error)) << c.what;
    const SongTag expected = c.expected.value_or(kFull);
    EXPECT_EQ(ours, expected) << c.what;
    std::vector<std::uint64_t> reads = c.reads;
    const std::uint64_t tail_at = std::filesystem::file_size(folder / "a.mp3") - kTagTailSize;
    std::replace(reads.begin(), reads.end(), kTail, tail_at);
    EXPECT_EQ(counting.part_offsets(), reads) << c.what;
    if (!c.taglib_known_wrong.empty()) {
      std::cout << "not compared with TagLib 1.13, " << c.taglib_known_wrong << ": " << c.what
                << "\n";
      continue;
    }
    EXPECT_EQ(TagLibView(folder / "a.mp3"), expected) << c.what << " (TagLib)";
  }
}

}  // namespace
}  // namespace quillfold
