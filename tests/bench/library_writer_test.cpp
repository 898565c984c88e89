#include "bench/library_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "bench/mp3_bytes.h"
#include "platform/posix_file_system.h"
#include "tags/ascii.h"
#include "tags/read_track_tag.h"
#include "tests/support/temp_folder.h"

namespace quillfold::bench {
namespace {

using quillfold::testing::ReadFile;
using quillfold::testing::TempFolder;

TEST(Mp3BytesTest, FramesAreRealMpegLayer3Frames) {
  const std::string frames = MpegFrames(3);
  ASSERT_EQ(frames.size(), 3u * 417u);
  for (std::size_t at = 0; at < frames.size(); at += 417) {
    EXPECT_EQ(static_cast<unsigned char>(frames[at]), 0xFF) << "frame at " << at;
    EXPECT_EQ(static_cast<unsigned char>(frames[at + 1]), 0xFB) << "frame at " << at;
  }
}

TEST(Mp3BytesTest, EncodedTagsDecodeToTheirFields) {
  const TagFields cases[] = {
      {"Opening Song", "Some Band", "First Album", "1999", "", 7, 24},
      {"Intro", "Band", "Album", "", "a comment that is long enough", 0, 123},
      {"A title longer than thirty characters", "", "", "", "", 255, 255},
  };
  for (const auto& fields : cases) {
    TagTrailer trailer{};
    const std::string bytes = EncodeId3v1(fields);
    ASSERT_EQ(bytes.size(), kTrailerSize);
    std::copy(bytes.begin(), bytes.end(), trailer.begin());
    TrackTag tag;
    ASSERT_TRUE(DecodeTrackTag(trailer, tag)) << fields.title;
    EXPECT_EQ(TrimSpaces(tag.Title), fields.title.substr(0, 30)) << fields.title;
    EXPECT_EQ(TrimSpaces(tag.Artist), fields.artist) << fields.title;
    EXPECT_EQ(TrimSpaces(tag.Album), fields.album) << fields.title;
    EXPECT_EQ(tag.Track, fields.track) << fields.title;
    EXPECT_EQ(tag.Genre, fields.genre) << fields.title;
  }
}

TEST(LibraryWriterTest, WrittenLibraryHoldsThePlan) {
  TempFolder temp;
  LibraryShape shape;
  shape.files = 300;
  shape.playlists = 5;
  shape.max_playlist_lines = 20;
  shape.hidden_files = 3;
  shape.links = 4;
  const LibraryPlan plan = PlanLibrary(shape);
  const std::string base = temp.path() + "library";
  const LibraryStats stats = WriteLibrary(plan, base);
  EXPECT_EQ(stats.files, 300u);

  for (const auto& file : plan.files) {
    const std::string path = base + "/" + file.relative;
    TagTrailer trailer{};
    TrackTag tag;
    const bool tagged =
        RealFileSystem().ReadOrdinaryFileTail(path, trailer) && DecodeTrackTag(trailer, tag);
    const bool hidden = path.substr(path.rfind('/') + 1).starts_with('.');
    EXPECT_EQ(tagged, file.tag.tagged && !hidden) << path;
    if (tagged) {
      EXPECT_EQ(TrimSpaces(tag.Artist), file.tag.fields.artist) << path;
    }
  }
  for (const auto& playlist : plan.playlists) {
    std::string expected;
    for (const auto& entry : playlist.entries) expected += PlaylistLine(plan, entry, base) + "\r\n";
    EXPECT_EQ(ReadFile(base + "/" + playlist.relative), expected) << playlist.relative;
  }
  for (const auto& link : plan.links) {
    EXPECT_TRUE(std::filesystem::is_symlink(base + "/" + link.relative)) << link.relative;
  }
  for (const auto& folder : plan.empty_folders) {
    EXPECT_TRUE(std::filesystem::is_directory(base + "/" + folder)) << folder;
  }
}

TEST(LibraryWriterTest, PlaylistLinesNameFilesAbsolutelyOrRelatively) {
  LibraryPlan plan;
  plan.files.push_back({"Rock/song.mp3", {}, 1});
  EXPECT_EQ(PlaylistLine(plan, {0, false}, "/m"), "/m/Rock/song.mp3");
  EXPECT_EQ(PlaylistLine(plan, {0, true}, "/m"), "Rock/song.mp3");
  EXPECT_EQ(PlaylistLine(plan, {}, "/m"), "#EXTM3U");
}

}  // namespace
}  // namespace quillfold::bench
