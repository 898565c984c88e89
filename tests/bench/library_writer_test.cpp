#include "bench/library_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix_file_system.h"
#include "tags/ascii.h"
#include "tags/read_track_tag.h"
#include "tests/support/temp_folder.h"

namespace quillfold::bench {
namespace {

using quillfold::testing::ReadFile;
using quillfold::testing::TempFolder;

// Every file reads back with the planned tag (hidden files never do), every
// playlist holds its planned lines, every link and empty folder is there.
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
  EXPECT_EQ(WriteLibrary(plan, base).files, 300u);

  for (const auto& file : plan.files) {
    const std::string path = base + "/" + file.relative;
    TrackTag tag;
    const bool tagged = ReadTrackTag(RealFileSystem(), path, tag);
    EXPECT_EQ(tagged, file.tag.tagged && path[path.rfind('/') + 1] != '.') << path;
    if (!tagged) continue;
    const TagFields& fields = file.tag.fields;
    EXPECT_EQ(TrimSpaces(tag.Title), fields.title.substr(0, 30)) << path;
    EXPECT_EQ(TrimSpaces(tag.Artist), fields.artist.substr(0, 30)) << path;
    EXPECT_EQ(TrimSpaces(tag.Album), fields.album.substr(0, 30)) << path;
    EXPECT_EQ(tag.Track, fields.track) << path;
    EXPECT_EQ(tag.Genre, fields.genre) << path;
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
