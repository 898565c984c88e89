// Whole runs on real temporary folders through the real file system.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "errors/run_error.h"
#include "organize/organizer.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::MakeFolders;
using testing::ReadFile;
using testing::TaggedMp3;
using testing::TagSpec;
using testing::WriteFile;

const TagSpec kOpening{"Opening Song", "Some Band", "First Album", 5};
const TagSpec kClosing{"Closing Song", "Some Band", "First Album", 9};

class OrganizerIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolders(base_);
    host_.chosen_path = base_;
  }
  std::string Base(const std::string& relative) const { return base_ + relative; }
  void Write(const std::string& relative, const std::string& content) {
    WriteFile(Base(relative), content);
  }
  std::string Read(const std::string& relative) { return ReadFile(Base(relative)); }
  bool Exists(const std::string& relative) { return testing::Exists(Base(relative)); }
  void RealRun() {
    host_.options.chkDontDo = 0;
    host_.options.chkDelDirs = 1;
    organizer_.OrganizeRun();
  }
  testing::TempFolder temp_;
  std::string base_ = temp_ / "music/";
  testing::RecordingHost host_;
  Organizer organizer_{RealFileSystem(), host_};
};

TEST_F(OrganizerIntegrationTest, RealRunOrganisesAMessyTree) {
  // music/ Old Stuff/track 3.mp3  Old Stuff/Deep/Er/x.mp3 (no tag)  .hidden.mp3 (tagged)
  //        caf\xE9.mp3 (Caf\xE9 / \xC9t\xE9 / 1 / L\xE0)  Old Stuff/notes.txt
  Write("Old Stuff/track 3.mp3", TaggedMp3(kOpening, std::string(5000, '\x01')));
  Write("Old Stuff/Deep/Er/x.mp3", "no tag at all");
  Write(".hidden.mp3", TaggedMp3(kClosing));
  Write("caf\xE9.mp3", TaggedMp3({"L\xE0 Song", "Caf\xE9", "\xC9t\xE9 Hits", 1}));
  Write("Old Stuff/notes.txt", "stays");
  RealRun();
  EXPECT_THAT(
      host_.ReportLines(),
      ElementsAre("Processing Directory " + base_ + ":", "", "The following MP3 files were moved:",
                  "   \".hidden.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/.hidden.mp3\"",
                  "   \"caf\xE9.mp3\": Move to \"./Caf/t Hits/01. L Song.mp3\"",
                  "   \"track 3.mp3\": Move to \"./Some Band/First Album/05. Opening "
                  "Song.mp3\"",
                  "   \"x.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/x.mp3\"", "",
                  "The Following Directories Were Removed:", "   " + Base("Old Stuff/Deep/Er"),
                  "   " + Base("Old Stuff/Deep")));
  EXPECT_EQ(Read("Some Band/First Album/05. Opening Song.mp3"),
            TaggedMp3(kOpening, std::string(5000, '\x01')));
  EXPECT_EQ(Read("UNSORTED - No ID3v1 Tag/.hidden.mp3"), TaggedMp3(kClosing));
  EXPECT_EQ(Read("UNSORTED - No ID3v1 Tag/x.mp3"), "no tag at all");
  EXPECT_EQ(Read("Caf/t Hits/01. L Song.mp3"),
            TaggedMp3({"L\xE0 Song", "Caf\xE9", "\xC9t\xE9 Hits", 1}));
  EXPECT_EQ(Read("Old Stuff/notes.txt"), "stays");

  // The same run again finds everything in place.
  RealRun();
  EXPECT_THAT(host_.ReportLines(),
              ElementsAre("Processing Directory " + base_ + ":", "", "Nothing needs to be done."));
}

TEST_F(OrganizerIntegrationTest, AnArtistFolderLinkedOutOfTheBaseIsRefused) {
  // temp/ outside/   music/Some Band -> ../outside   music/a.mp3
  MakeFolders(temp_ / "outside");
  testing::MakeLink(Base("Some Band"), "../outside");
  Write("a.mp3", TaggedMp3(kOpening));
  EXPECT_THROW(RealRun(), RunError);
  EXPECT_TRUE(Exists("a.mp3"));
  EXPECT_TRUE(fs::is_empty(temp_ / "outside"));
}

// music/ in/Song.mp3 (Band, Album, 1)  in/song.MP3 (Band, Album, 2)  in/z.mp3
//        list.m3u: both paths, each twice, each in its own spelling
// Whether the run ends or is killed after both have moved, before it writes
// the playlist (and the next run mends it), each line follows its own file.
TEST_F(OrganizerIntegrationTest, PlaylistLinesFollowTheirOwnFileWhenNamesDifferOnlyInCase) {
  const TagSpec first{"First", "Band", "Album", 1};
  const TagSpec second{"Second", "Band", "Album", 2};
  const std::string twins = Base("in/Song.mp3") + "\r\n" + Base("in/song.MP3") + "\r\n";
  const std::string moved =
      Base("Band/Album/01. First.mp3") + "\r\n" + Base("Band/Album/02. Second.mp3") + "\r\n";
  for (const bool killed : {false, true}) {
    std::filesystem::remove_all(base_);
    Write("in/Song.mp3", TaggedMp3(first));
    Write("in/song.MP3", TaggedMp3(second));
    Write("in/z.mp3", TaggedMp3({"Third", "Band", "Album", 3}));
    Write("list.m3u", twins + twins);
    PosixJournalStorage journals(temp_ / (killed ? "killed" : "ended"));
    host_.options.chkDontDo = 0;
    if (killed) {
      const pid_t child = fork();
      if (child == 0) {
        testing::FaultyFileSystem dying(RealFileSystem());
        int renames = 0;
        dying.before_rename = [&](const std::string&, const std::string&) {
          if (++renames == 3) _exit(0);
        };
        Organizer(dying, host_, &journals).OrganizeRun();
        _exit(1);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      ASSERT_EQ(Read("list.m3u"), twins + twins) << "killed before writing its playlist";
    }
    Organizer(RealFileSystem(), host_, &journals).OrganizeRun();
    EXPECT_EQ(Read("Band/Album/01. First.mp3"), TaggedMp3(first)) << killed;
    EXPECT_EQ(Read("Band/Album/02. Second.mp3"), TaggedMp3(second)) << killed;
    EXPECT_EQ(Read("list.m3u"), moved + moved) << killed;
  }
}

// A tree deeper than PATH_MAX below the base: no call needs a whole path, so
// its file is found, read, moved, and the empty chain removed, which also
// leaves the temporary folder removable again.
TEST_F(OrganizerIntegrationTest, PathsLongerThanPathMaxBelowTheBaseWork) {
  const std::string level(200, 'd');
  int folder = open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string relative;
  for (int depth = 0; depth < 25; ++depth) {
    ASSERT_EQ(mkdirat(folder, level.c_str(), 0755), 0);
    const int inner = openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(folder);
    folder = inner;
    relative += level + "/";
  }
  ASSERT_GT(Base(relative).size(), static_cast<std::size_t>(PATH_MAX));
  const std::string song = TaggedMp3(kOpening);
  const int file = openat(folder, "deep.mp3", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(write(file, song.data(), song.size()), static_cast<ssize_t>(song.size()));
  close(file);
  close(folder);
  RealRun();
  EXPECT_EQ(Read("Some Band/First Album/05. Opening Song.mp3"), song);
  EXPECT_FALSE(Exists(level)) << "the emptied chain is removed";
}

}  // namespace
}  // namespace quillfold
