// Linux tells names apart by letter case: two files whose paths differ only
// in case are two files, and each playlist line must keep following its own.
#include <gtest/gtest.h>

#include "organize/organizer.h"
#include "platform/posix_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::ReadFile;
using testing::TaggedMp3;
using testing::WriteFile;

// BASE/in/Song.mp3  (Band, Album, track 1)
// BASE/in/song.MP3  (Band, Album, track 2)
// BASE/list.m3u     names both, each twice, once in its own spelling
TEST(LetterCaseFilesTest, EachPlaylistLineFollowsItsOwnFileWhenNamesDifferOnlyInCase) {
  testing::TempFolder base;
  WriteFile(base / "in/Song.mp3", TaggedMp3({"First", "Band", "Album", 1}));
  WriteFile(base / "in/song.MP3", TaggedMp3({"Second", "Band", "Album", 2}));
  const std::string upper = base / "in/Song.mp3";
  const std::string lower = base / "in/song.MP3";
  WriteFile(base / "list.m3u", upper + "\r\n" + lower + "\r\n" + upper + "\r\n" + lower + "\r\n");
  testing::RecordingHost host;
  host.chosen_path = base.path();
  host.options = testing::RealRunOptions();

  Organizer(RealFileSystem(), host).OrganizeRun();

  const std::string first = base / "Band/Album/01. First.mp3";
  const std::string second = base / "Band/Album/02. Second.mp3";
  EXPECT_EQ(ReadFile(first), TaggedMp3({"First", "Band", "Album", 1}));
  EXPECT_EQ(ReadFile(base / "list.m3u"),
            first + "\r\n" + second + "\r\n" + first + "\r\n" + second + "\r\n");
}

}  // namespace
}  // namespace quillfold
