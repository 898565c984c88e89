// Moves through whole runs on an in-memory D:\ drive: collisions, names taken
// meanwhile, letter case, links in the target and what each file costs.
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
using testing::TagSpec;

const TagSpec kOpeningSong{"Opening Song", "Some Band", "First Album", 5};
constexpr const char* kTarget = "Some Band\\First Album\\05. Opening Song.mp3";
constexpr const char* kMoveText = "Move to \".\\Some Band\\First Album\\05. Opening Song.mp3\"";

class MoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk_.AddFolder("D:\\Music");
    host_.chosen_path = "D:\\Music\\";
    host_.options = testing::RealRunOptions();
  }
  static std::string Music(const std::string& relative) { return "D:\\Music\\" + relative; }
  void Add(const std::string& relative, const std::string& content) {
    disk_.AddFile(Music(relative), content);
  }
  bool Exists(const std::string& relative) { return disk_.PathExists(Music(relative)); }
  std::string Content(const std::string& relative) { return disk_.ReadTextFile(Music(relative)); }
  // The report's file lines, without the indent.
  std::vector<std::string> FileLines() {
    std::vector<std::string> lines;
    for (const std::string& line : host_.ReportLines()) {
      if (line.starts_with("   \"")) lines.push_back(line.substr(3));
    }
    return lines;
  }

  testing::MemoryFileSystem disk_{'\\', "D:\\"};
  testing::FaultyFileSystem fs_{disk_};
  testing::RecordingHost host_;
  Organizer organizer_{fs_, host_};
};

TEST_F(MoveTest, DuplicatesGetSuffixesThatTheReportNeverShows) {
  Add("a.mp3", TaggedMp3(kOpeningSong, "first"));
  Add("b.mp3", TaggedMp3(kOpeningSong, "second"));
  organizer_.OrganizeRun();
  EXPECT_THAT(FileLines(), ElementsAre(std::string("\"a.mp3\": ") + kMoveText,
                                       std::string("\"b.mp3\": ") + kMoveText));
  EXPECT_EQ(Content(kTarget), TaggedMp3(kOpeningSong, "first"));
  EXPECT_EQ(Content(std::string(kTarget) + ".mp3"), TaggedMp3(kOpeningSong, "second"));

  // Each later run moves the suffixed file once more, and only that one.
  organizer_.OrganizeRun();
  EXPECT_THAT(FileLines(), ElementsAre(std::string("\"05. Opening Song.mp3.mp3\": ") + kMoveText));
  EXPECT_EQ(Content(std::string(kTarget) + ".mp3.mp3"), TaggedMp3(kOpeningSong, "second"));
  EXPECT_FALSE(Exists(std::string(kTarget) + ".mp3"));
}

TEST_F(MoveTest, AFolderCarryingTheNameCountsAsTaken) {
  Add("a.mp3", TaggedMp3(kOpeningSong));
  disk_.AddFolder(Music(kTarget));
  organizer_.OrganizeRun();
  EXPECT_TRUE(Exists(std::string(kTarget) + ".mp3"));
  EXPECT_TRUE(disk_.ListFolder(Music(kTarget)).empty()) << "the folder is left as it was";
}

TEST_F(MoveTest, ANameTakenBetweenTheTestAndTheMoveIsNeverReplaced) {
  Add("a.mp3", TaggedMp3(kOpeningSong, "mine"));
  fs_.before_rename = [&](const std::string&, const std::string& to) {
    if (!disk_.PathExists(to) && to.ends_with("Song.mp3")) disk_.AddFile(to, "someone else's");
  };
  organizer_.OrganizeRun();
  EXPECT_EQ(Content(kTarget), "someone else's");
  EXPECT_EQ(Content(std::string(kTarget) + ".mp3"), TaggedMp3(kOpeningSong, "mine"));
  EXPECT_FALSE(Exists("a.mp3"));
}

TEST_F(MoveTest, ATargetDifferingOnlyInLetterCaseNeedsNoAction) {
  Add("SOME BAND\\first album\\05. OPENING SONG.MP3", TaggedMp3(kOpeningSong));
  organizer_.OrganizeRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Processing Directory D:\\Music\\:", "", "Nothing needs to be done."));
  EXPECT_TRUE(Exists("SOME BAND\\first album\\05. OPENING SONG.MP3"));
  EXPECT_EQ(fs_.calls().renames, 0);
}

TEST_F(MoveTest, ATargetFolderThatIsALinkOutOfTheBaseIsRefused) {
  // D:\Music\a.mp3   D:\Music\Some Band -> D:\Elsewhere
  Add("a.mp3", TaggedMp3(kOpeningSong));
  disk_.AddFolder("D:\\Elsewhere");
  disk_.AddLink(Music("Some Band"), "D:\\Elsewhere");
  try {
    organizer_.OrganizeRun();
    ADD_FAILURE() << "the move through the link went ahead";
  } catch (const RunError& error) {
    EXPECT_NE(error.description().find("D:\\Music\\Some Band\" is a symbolic link"),
              std::string::npos)
        << error.description();
  }
  EXPECT_TRUE(Exists("a.mp3"));
  EXPECT_TRUE(disk_.ListFolder("D:\\Elsewhere").empty()) << "nothing was created outside";
}

TEST_F(MoveTest, EachFileCostsOneTailReadOneTestAndOneRename) {
  // 40 files into two album folders, from five source folders.
  for (int i = 1; i <= 40; ++i) {
    const std::string album = i % 2 ? "Odd" : "Even";
    Add("Src" + std::to_string(i % 5) + "\\" + std::to_string(i) + ".mp3",
        TaggedMp3({"Song " + std::to_string(i), "Band", album, i}));
  }
  organizer_.OrganizeRun();
  EXPECT_EQ(fs_.calls().tail_reads, 40);
  EXPECT_EQ(fs_.calls().renames, 40);
  EXPECT_EQ(fs_.calls().existence_tests, 40);
  EXPECT_EQ(fs_.calls().folder_chains, 2) << "each target folder is made ready once";
  EXPECT_LE(fs_.calls().link_tests, 3);
  EXPECT_EQ(fs_.calls().listings, 12) << "one listing per folder for each of the two searches";
  EXPECT_EQ(fs_.calls().reads, 0) << "no playlists under the base";
}

}  // namespace
}  // namespace quillfold
