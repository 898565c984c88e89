// Failures that end a run: nothing is lost, the playlists follow the files
// that did move, and limits are met before anything on disk changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "errors/run_error.h"
#include "organize/organizer.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"

namespace quillfold {
namespace {

using ::testing::ElementsAre;
using testing::TaggedMp3;

class OrganizerFailureTest : public ::testing::Test {
 protected:
  // D:\Music\ a.mp3 b.mp3 c.mp3 (all tagged)  Empty\  one.m3u  two.m3u
  void SetUp() override {
    for (const char* name : {"a", "b", "c"}) {
      disk_.AddFile(Music(std::string(name) + ".mp3"), TaggedMp3({name, "Band", "Album", 1}));
    }
    disk_.AddFolder(Music("Empty"));
    disk_.AddFile(Music("one.m3u"), kPlaylist);
    disk_.AddFile(Music("two.m3u"), kPlaylist);
    host_.chosen_path = "D:\\Music\\";
    host_.options = testing::RealRunOptions();
    host_.options.chkDelDirs = 1;
  }
  static std::string Music(const std::string& relative) { return "D:\\Music\\" + relative; }
  bool Exists(const std::string& relative) { return disk_.PathExists(Music(relative)); }
  std::string Content(const std::string& relative) { return disk_.ReadTextFile(Music(relative)); }
  // Runs and returns the error that ended the run.
  RunError FailingRun() {
    try {
      organizer_.OrganizeRun();
    } catch (const RunError& error) {
      EXPECT_FALSE(organizer_.running());
      return error;
    }
    ADD_FAILURE() << "the run did not fail";
    return RunError(ErrorNumber::kOverflow, "none");
  }
  void ExpectNothingChanged() {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "Empty"}) EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(Content("one.m3u"), kPlaylist);
    EXPECT_EQ(fs_.calls().replacements + fs_.calls().removals, 0);
  }

  static constexpr const char* kPlaylist =
      "D:\\Music\\a.mp3\r\nD:\\Music\\b.mp3\r\nD:\\Music\\c.mp3\r\n";
  testing::MemoryFileSystem disk_{'\\', "D:\\"};
  testing::FaultyFileSystem fs_{disk_};
  testing::RecordingHost host_;
  Organizer organizer_{fs_, host_};
};

TEST_F(OrganizerFailureTest, ARefusedMoveStillWritesPlaylistsForTheFilesMovedSoFar) {
  fs_.FailRenameNumber(2);
  const RunError error = FailingRun();
  EXPECT_EQ(error.error_number(), ErrorNumber::kPermissionDenied);
  EXPECT_THAT(
      host_.ReportLines(),
      ElementsAre("Processing Directory D:\\Music\\:", "", "The following MP3 files were moved:",
                  "   \"a.mp3\": Move to \".\\Band\\Album\\01. a.mp3\"", "",
                  "Also, the following music lists were updated:", "   one.m3u", "   two.m3u"));
  const std::string rewritten =
      "D:\\Music\\Band\\Album\\01. a.mp3\r\nD:\\Music\\b.mp3\r\nD:\\Music\\c.mp3\r\n";
  EXPECT_EQ(Content("one.m3u"), rewritten);
  EXPECT_EQ(Content("two.m3u"), rewritten);
  EXPECT_TRUE(Exists("b.mp3"));
  EXPECT_TRUE(Exists("c.mp3"));
  EXPECT_TRUE(Exists("Empty")) << "no folder removal after a failure";
}

TEST_F(OrganizerFailureTest, AFailureBeforeAnyMoveWritesNothing) {
  fs_.FailRenameNumber(1);
  FailingRun();
  EXPECT_THAT(host_.ReportLines(), ElementsAre("Processing Directory D:\\Music\\:"));
  ExpectNothingChanged();
}

TEST_F(OrganizerFailureTest, APlaylistThatCannotBeWrittenKeepsItsOldContentAndNotTheOthersBack) {
  fs_.FailReplaceOf(Music("one.m3u"));
  const RunError error = FailingRun();
  EXPECT_EQ(error.error_number(), ErrorNumber::kDiskFull);
  EXPECT_NE(error.description().find("one.m3u"), std::string::npos);
  EXPECT_EQ(Content("one.m3u"), kPlaylist);
  EXPECT_EQ(Content("two.m3u"),
            "D:\\Music\\Band\\Album\\01. a.mp3\r\nD:\\Music\\Band\\Album\\01. b.mp3\r\n"
            "D:\\Music\\Band\\Album\\01. c.mp3\r\n");
  const auto lines = host_.ReportLines();
  EXPECT_THAT(std::vector(lines.end() - 2, lines.end()),
              ElementsAre("Also, the following music lists were updated:", "   two.m3u"));
  EXPECT_TRUE(Exists("Empty"));
}

TEST_F(OrganizerFailureTest, AFolderThatCannotBeCreatedLosesNoFile) {
  fs_.SetDiskFull(true);
  FailingRun();
  EXPECT_TRUE(Exists("a.mp3"));
  EXPECT_EQ(Content("a.mp3"), TaggedMp3({"a", "Band", "Album", 1}));
}

TEST_F(OrganizerFailureTest, AFolderThatCannotBeListedEndsTheRunBeforeTheReport) {
  disk_.AddFile(Music("Locked\\d.mp3"), "d");
  fs_.FailListingOf(Music("Locked"));
  EXPECT_EQ(FailingRun().error_number(), ErrorNumber::kPermissionDenied);
  EXPECT_THAT(host_.events, ElementsAre("clear", ::testing::StartsWith("ask:")));
  ExpectNothingChanged();
}

TEST_F(OrganizerFailureTest, MoreThan1000PlaylistsEndTheRunWithNothingChanged) {
  for (int i = 0; i < 999; ++i) disk_.AddFile(Music("Lists\\" + std::to_string(i) + ".m3u"), "");
  EXPECT_EQ(FailingRun().error_number(), ErrorNumber::kSubscriptOutOfRange);
  ExpectNothingChanged();
  EXPECT_EQ(fs_.calls().reads, 0) << "the limit is met before any playlist is read";
}

TEST_F(OrganizerFailureTest, APlaylistOfMoreThan10000LinesEndsTheRunWithNothingChanged) {
  std::string lines;
  for (int i = 0; i < 10000; ++i) lines += "x\r";
  disk_.AddFile(Music("full.m3u"), lines);
  disk_.AddFile(Music("over.m3u"), lines + "one too many");
  const RunError error = FailingRun();
  EXPECT_EQ(error.error_number(), ErrorNumber::kSubscriptOutOfRange);
  EXPECT_NE(error.description().find("over.m3u"), std::string::npos);
  ExpectNothingChanged();
}

TEST_F(OrganizerFailureTest, MoreThan32767MusicFilesEndTheRunWithNothingChanged) {
  for (int i = 0; i < 32765; ++i) disk_.AddFile(Music("Many\\" + std::to_string(i) + ".mp3"), "");
  EXPECT_EQ(FailingRun().error_number(), ErrorNumber::kOverflow);
  ExpectNothingChanged();
}

}  // namespace
}  // namespace quillfold
