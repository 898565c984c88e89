// Whole runs on an in-memory D:\ drive, so the reports can be compared with
// the classic drive-letter examples word for word.
#include "organize/organizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "errors/run_error.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"

namespace quillfold {
namespace {

using ::testing::ElementsAre;
using testing::FaultyFileSystem;
using testing::MemoryFileSystem;
using testing::RealRunOptions;
using testing::RecordingHost;
using testing::TaggedMp3;
using testing::TagSpec;

const TagSpec kOpeningSong{"Opening Song", "Some Band", "First Album", 5};
const TagSpec kSecondSong{"Second Song", "Some Band", "First Album", 6};

class OrganizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_.AddFolder("D:\\Music");
    host_.chosen_path = "D:\\Music\\";
  }
  static std::string Music(const std::string& relative) { return "D:\\Music\\" + relative; }
  void AddSong(const std::string& relative, const TagSpec& tag) {
    disk_.AddFile(Music(relative), TaggedMp3(tag, relative));
  }
  bool Exists(const std::string& relative) { return disk_.PathExists(Music(relative)); }
  std::string Content(const std::string& relative) { return disk_.ReadTextFile(Music(relative)); }

  MemoryFileSystem disk_{'\\', "D:\\"};
  FaultyFileSystem fs_{disk_};
  RecordingHost host_;
  Organizer organizer_{fs_, host_};
};

TEST_F(OrganizerTest, RealRunReportListsMovesPlaylistsAndRemovedFolders) {
  // D:\Music\ loose.mp3  Old\track3.mp3  Old\Empty\  Old\notes.txt  Lists\party.m3u
  AddSong("loose.mp3", {"Song", "Other Band", "Second", 1});
  AddSong("Old\\track3.mp3", kOpeningSong);
  disk_.AddFolder(Music("Old\\Empty"));
  disk_.AddFile(Music("Old\\notes.txt"), "keep");
  disk_.AddFile(Music("Lists\\party.m3u"), "#EXTM3U\r\nd:\\music\\OLD\\track3.mp3\r\nrelative.mp3");
  host_.options = RealRunOptions();
  host_.options.chkDelDirs = 1;
  organizer_.OrganizeRun();
  EXPECT_THAT(
      host_.ReportLines(),
      ElementsAre("Processing Directory D:\\Music\\:", "", "The following MP3 files were moved:",
                  "   \"loose.mp3\": Move to \".\\Other Band\\Second\\01. Song.mp3\"",
                  "   \"track3.mp3\": Move to \".\\Some Band\\First Album\\05. Opening "
                  "Song.mp3\"",
                  "", "Also, the following music lists were updated:", "   Lists\\party.m3u", "",
                  "The Following Directories Were Removed:", "   D:\\Music\\Old\\Empty"));
  EXPECT_THAT(
      host_.events,
      ElementsAre("clear", "ask:Convert Every mp3 File Under D:\\Music\\?|Are You Sure?", "show"));
  EXPECT_EQ(Content("Some Band\\First Album\\05. Opening Song.mp3"),
            TaggedMp3(kOpeningSong, "Old\\track3.mp3"));
  EXPECT_EQ(
      Content("Lists\\party.m3u"),
      "#EXTM3U\r\nD:\\Music\\Some Band\\First Album\\05. Opening Song.mp3\r\nrelative.mp3\r\n");
  EXPECT_TRUE(Exists("Old\\notes.txt"));
  EXPECT_EQ(organizer_.BaseFolder(), "D:\\Music\\");
}

TEST_F(OrganizerTest, ReportOnlyRunWithNothingToDoIsThreeLinesAndTouchesNothing) {
  AddSong("Some Band\\First Album\\05. Opening Song.mp3", kOpeningSong);
  disk_.AddFile(Music("list.m3u"), "x");
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Scanning Directory D:\\Music\\:", "", "Nothing needs to be done."));
  EXPECT_THAT(host_.events, ElementsAre("clear", "show")) << "no question in report-only mode";
  EXPECT_EQ(fs_.calls().reads, 0);
  EXPECT_EQ(fs_.calls().renames + fs_.calls().folder_chains + fs_.calls().replacements, 0);
}

TEST_F(OrganizerTest, BaseAtADriveRootKeepsItsOwnBackslash) {
  disk_.AddFile("D:\\x.mp3", "untagged");
  host_.chosen_path = "D:";
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Scanning Directory D:\\:", "", "The following MP3 files will be moved:",
                          "   \"x.mp3\": Move to \".\\UNSORTED - No ID3v1 Tag\\x.mp3\""));
  EXPECT_EQ(organizer_.BaseFolder(), "D:\\");
}

TEST_F(OrganizerTest, NoMusicFilesGivesOnlyTheMessageAndLeavesEmptyFolders) {
  disk_.AddFile(Music("list.m3u"), "x");
  disk_.AddFolder(Music("Empty"));
  host_.options = RealRunOptions();
  host_.options.chkDelDirs = 1;
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.events,
              ElementsAre("clear", "ask:Convert Every mp3 File Under D:\\Music\\?|Are You Sure?",
                          "message:No MP3 files found under D:\\Music\\|Quillfold"));
  EXPECT_EQ(host_.report, "");
  EXPECT_TRUE(Exists("Empty"));
}

TEST_F(OrganizerTest, DecliningTheQuestionChangesNothingAndShowsNoReport) {
  for (const Answer answer : {Answer::kNo, Answer::kCancel}) {
    AddSong("track.mp3", kOpeningSong);
    host_ = RecordingHost();
    host_.chosen_path = "D:\\Music\\";
    host_.options = RealRunOptions();
    host_.answer = answer;
    host_.report = "left from an earlier run";
    organizer_.OrganizeRun();
    EXPECT_THAT(host_.events, ElementsAre("clear", ::testing::StartsWith("ask:")))
        << static_cast<int>(answer);
    EXPECT_EQ(host_.report, "") << "an open report is emptied even when the user declines";
    EXPECT_TRUE(Exists("track.mp3"));
    EXPECT_EQ(fs_.calls().listings, 0) << "no playlist or file search";
  }
}

TEST_F(OrganizerTest, FilesInPlaceWithEmptyFoldersGiveTheRemovedSectionDirectly) {
  AddSong("Some Band\\First Album\\05. Opening Song.mp3", kOpeningSong);
  disk_.AddFolder(Music("Empty"));
  host_.options = RealRunOptions();
  host_.options.chkDelDirs = 1;
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Processing Directory D:\\Music\\:", "",
                          "The Following Directories Were Removed:", "   D:\\Music\\Empty"));
}

TEST_F(OrganizerTest, NestedEmptyFoldersGoDeepestFirstUnderOneHeader) {
  AddSong("Some Band\\First Album\\05. Opening Song.mp3", kOpeningSong);
  disk_.AddFolder(Music("Outer\\Middle\\Inner"));
  disk_.AddFolder(Music("Side"));
  host_.options = RealRunOptions();
  host_.options.chkDelDirs = 1;
  organizer_.OrganizeRun();
  EXPECT_THAT(
      host_.ReportLines(),
      ElementsAre("Processing Directory D:\\Music\\:", "",
                  "The Following Directories Were Removed:", "   D:\\Music\\Outer\\Middle\\Inner",
                  "   D:\\Music\\Side", "   D:\\Music\\Outer\\Middle", "   D:\\Music\\Outer"));
  EXPECT_FALSE(Exists("Outer"));
}

TEST_F(OrganizerTest, FolderRemovalNeedsARealRunAndTheOption) {
  const struct {
    int dont_do;
    int del_dirs;
  } cases[] = {{1, 1}, {0, 0}, {0, 2}};
  for (const auto& c : cases) {
    AddSong("Some Band\\First Album\\05. Opening Song.mp3", kOpeningSong);
    disk_.AddFolder(Music("Empty"));
    host_.options.chkDontDo = c.dont_do;
    host_.options.chkDelDirs = c.del_dirs;
    organizer_.OrganizeRun();
    EXPECT_TRUE(Exists("Empty")) << c.dont_do << c.del_dirs;
    EXPECT_EQ(host_.ReportLines().back(), "Nothing needs to be done.") << c.dont_do << c.del_dirs;
  }
}

TEST_F(OrganizerTest, PlaylistSectionFollowsListedFilesOnly) {
  // Report-only: every playlist found is listed with "may be", none is read;
  // with no file listed there is no playlist section at all.
  disk_.AddFile(Music("a.m3u"), "x");
  disk_.AddFile(Music("Sub\\b.M3U"), "y");
  AddSong("Some Band\\First Album\\05. Opening Song.mp3", kOpeningSong);
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Scanning Directory D:\\Music\\:", "", "Nothing needs to be done."));
  AddSong("new.mp3", kSecondSong);
  organizer_.OrganizeRun();
  EXPECT_THAT(
      host_.ReportLines(),
      ElementsAre("Scanning Directory D:\\Music\\:", "", "The following MP3 files will be moved:",
                  "   \"new.mp3\": Move to \".\\Some Band\\First Album\\06. Second "
                  "Song.mp3\"",
                  "", "Also, the following music lists may be updated:", "   a.m3u",
                  "   Sub\\b.M3U"));
  EXPECT_EQ(fs_.calls().reads, 0);
}

TEST_F(OrganizerTest, RealRunWithoutMatchingPlaylistLinesKeepsTheBareHeader) {
  disk_.AddFile(Music("a.m3u"), "other.mp3\r\n");
  AddSong("new.mp3", kSecondSong);
  host_.options = RealRunOptions();
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Processing Directory D:\\Music\\:", "",
                          "The following MP3 files were moved:", ::testing::_, "",
                          "Also, the following music lists were updated:"));
  EXPECT_EQ(fs_.calls().replacements, 0);
}

TEST_F(OrganizerTest, ChangedFlagsDoNotCarryOverToTheNextRun) {
  disk_.AddFile(Music("a.m3u"), "D:\\Music\\first.mp3\r\n");
  AddSong("first.mp3", kOpeningSong);
  host_.options = RealRunOptions();
  organizer_.OrganizeRun();
  ASSERT_EQ(fs_.calls().replacements, 1);
  AddSong("second.mp3", kSecondSong);
  organizer_.OrganizeRun();
  EXPECT_EQ(fs_.calls().replacements, 1) << "the playlist was not changed by the second run";
  EXPECT_EQ(host_.ReportLines().back(), "Also, the following music lists were updated:");
}

TEST_F(OrganizerTest, PlaylistUpdatingOffSkipsThePlaylistPhase) {
  disk_.AddFile(Music("a.m3u"), "D:\\Music\\first.mp3\r\n");
  AddSong("first.mp3", kOpeningSong);
  host_.options = RealRunOptions();
  host_.options.chkUpdateM3U = 0;
  organizer_.OrganizeRun();
  EXPECT_EQ(fs_.calls().reads + fs_.calls().replacements, 0);
  EXPECT_EQ(Content("a.m3u"), "D:\\Music\\first.mp3\r\n");
  EXPECT_EQ(host_.ReportLines().size(), 4u) << "no playlist section";
}

TEST_F(OrganizerTest, OptionsAreReadAtTheMomentTheRunNeedsThem) {
  // Report-only when the question would be asked, real from the header on.
  AddSong("first.mp3", kOpeningSong);
  host_.on_pending_events = [this] { host_.options.chkDontDo = 0; };
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.events, ElementsAre("clear", "show"));
  EXPECT_EQ(host_.ReportLines().front(), "Processing Directory D:\\Music\\:");
  EXPECT_TRUE(Exists("Some Band\\First Album\\05. Opening Song.mp3"));
}

TEST_F(OrganizerTest, ASecondRunInsideARunningOneDoesNothing) {
  AddSong("first.mp3", kOpeningSong);
  bool running_inside = false;
  host_.on_pending_events = [&] {
    running_inside = organizer_.running();
    organizer_.OrganizeRun();
  };
  organizer_.OrganizeRun();
  EXPECT_TRUE(running_inside);
  EXPECT_FALSE(organizer_.running());
  EXPECT_THAT(host_.events, ElementsAre("clear", "show"));
}

TEST_F(OrganizerTest, ProgressCountsFilesFoundAndPlaced) {
  AddSong("a.mp3", kOpeningSong);
  AddSong("b.mp3", kSecondSong);
  organizer_.OrganizeRun();
  EXPECT_EQ(host_.last_found, 2);
  EXPECT_THAT(host_.placing, ElementsAre(std::pair(1, 2), std::pair(2, 2)));
}

}  // namespace
}  // namespace quillfold
