// Whole runs on a temporary folder, through a call-counting wrapper.
#include "organize/organizer.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "errors/run_error.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/kill_points.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

using ::testing::ElementsAre;
using testing::TaggedMp3;
using testing::TagSpec;

const TagSpec kOpeningSong{"Opening Song", "Some Band", "First Album", 5};
const TagSpec kSecondSong{"Second Song", "Some Band", "First Album", 6};
constexpr const char* kTarget = "Some Band/First Album/05. Opening Song.mp3";

// TEMP/Music/ chosen, behind a call-counting wrapper.
struct Drive {
  Drive() {
    testing::MakeFolders(base);
    host.chosen_path = base;
  }
  std::string Music(const std::string& relative) const { return base + relative; }
  void Add(const std::string& relative, const std::string& content) {
    testing::WriteFile(Music(relative), content);
  }
  void AddSong(const std::string& relative, const TagSpec& tag) {
    Add(relative, TaggedMp3(tag, relative));
  }
  bool Exists(const std::string& relative) const { return testing::Exists(Music(relative)); }
  std::string Content(const std::string& relative) const {
    return testing::ReadFile(Music(relative));
  }
  void Organize(int dont_do, int del_dirs = 0) {
    host.options.chkDontDo = dont_do;
    host.options.chkDelDirs = del_dirs;
    organizer.OrganizeRun();
  }
  int Changes() { return fs.calls().renames + fs.calls().replacements + fs.calls().removals; }

  testing::TempFolder temp;
  const std::string base = temp / "Music/";
  const std::string processing = "Processing Directory " + base + ":";
  const std::string scanning = "Scanning Directory " + base + ":";
  const std::string question = "ask:Convert Every mp3 File Under " + base + "?|Are You Sure?";
  testing::FaultyFileSystem fs{RealFileSystem()};
  testing::RecordingHost host;
  Organizer organizer{fs, host};
};

class OrganizerTest : public ::testing::Test, protected Drive {};

TEST_F(OrganizerTest, RealRunReportListsMovesPlaylistsAndRemovedFolders) {
  // Music/ loose.mp3  Old/track3.mp3  Old/notes.txt  Lists/party.m3u  Side/ (empty)
  //        Outer/Middle/Inner/ (empty)  Hidden/.keep  Linked/link -> ../loose.mp3
  //        .hidden.mp3 (tagged, never read)  caf\xE9.mp3 (Latin-1 tag)
  AddSong("loose.mp3", {"Song", "Other Band", "Second", 1});
  AddSong(".hidden.mp3", kSecondSong);
  AddSong("caf\xE9.mp3", {"L\xE0 Song", "Caf\xE9", "\xC9t\xE9 Hits", 1});
  AddSong("Old/track3.mp3", kOpeningSong);
  Add("Old/notes.txt", "keep");
  Add("Lists/party.m3u", "#EXTM3U\r\n" + AsciiUpper(Music("Old/track3.mp3")) + "\r\nrelative.mp3");
  testing::MakeFolders(Music("Side"));
  testing::MakeFolders(Music("Outer/Middle/Inner"));
  Add("Hidden/.keep", "");
  testing::MakeLink(Music("Linked/link"), "../loose.mp3");
  Organize(0, 1);
  EXPECT_THAT(
      host.ReportLines(),
      ElementsAre(processing, "", "The following MP3 files were moved:",
                  "   \".hidden.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/.hidden.mp3\"",
                  "   \"caf\xE9.mp3\": Move to \"./Caf/t Hits/01. L Song.mp3\"",
                  "   \"loose.mp3\": Move to \"./Other Band/Second/01. Song.mp3\"",
                  std::string("   \"track3.mp3\": Move to \"./") + kTarget + "\"", "",
                  "Also, the following music lists were updated:", "   Lists/party.m3u", "",
                  "The Following Directories Were Removed:", "   " + Music("Outer/Middle/Inner"),
                  "   " + Music("Side"), "   " + Music("Outer/Middle"), "   " + Music("Outer")));
  EXPECT_THAT(host.events, ElementsAre("clear", question, "show"));
  EXPECT_EQ(Content(kTarget), TaggedMp3(kOpeningSong, "Old/track3.mp3"));
  EXPECT_EQ(Content("Lists/party.m3u"), "#EXTM3U\r\n" + Music(kTarget) + "\r\nrelative.mp3\r\n");
  for (const char* kept : {"Old/notes.txt", "Hidden/.keep", "Linked/link"}) {
    EXPECT_TRUE(Exists(kept)) << kept;
  }
  EXPECT_EQ(Content("Caf/t Hits/01. L Song.mp3"),
            TaggedMp3({"L\xE0 Song", "Caf\xE9", "\xC9t\xE9 Hits", 1}, "caf\xE9.mp3"));
  EXPECT_EQ(organizer.BaseFolder(), base);

  Organize(0, 1);
  EXPECT_THAT(host.ReportLines(), ElementsAre(processing, "", "Nothing needs to be done."));
}

// Whether a file is listed follows from its move, not from the words of its
// line: a title reading "No Action Needed" is a move like any other. The
// playlists a run changed are not listed by the next.
TEST_F(OrganizerTest, AFileNamedLikeTheNoActionTextIsListedAndChangedPlaylistsDoNotCarryOver) {
  AddSong("in/a.mp3", {"No Action Needed", "Band", "Album", 1});
  Add("list.m3u", Music("in/a.mp3") + "\r\n");
  Organize(0);
  EXPECT_THAT(host.ReportLines(),
              ElementsAre(processing, "", "The following MP3 files were moved:",
                          "   \"a.mp3\": Move to \"./Band/Album/01. No Action Needed.mp3\"", "",
                          "Also, the following music lists were updated:", "   list.m3u"));
  EXPECT_EQ(Content("list.m3u"), Music("Band/Album/01. No Action Needed.mp3") + "\r\n");
  ASSERT_EQ(fs.calls().replacements, 1);
  AddSong("second.mp3", kSecondSong);
  Organize(0);
  EXPECT_EQ(fs.calls().replacements, 1) << "the playlist was not changed by the second run";
  EXPECT_EQ(host.ReportLines().back(), "Also, the following music lists were updated:");
}

TEST_F(OrganizerTest, ReportOnlyRunAsksNothingReadsNoPlaylistAndChangesNothing) {
  // A file already in place, whatever its letter case, needs nothing.
  AddSong("SOME BAND/first album/05. OPENING SONG.MP3", kOpeningSong);
  Add("a.m3u", "x");
  Add("Sub/b.M3U", "y");
  Add("Sub/c.m3U8", "z");
  Organize(1, 1);
  EXPECT_THAT(host.ReportLines(), ElementsAre(scanning, "", "Nothing needs to be done."));
  EXPECT_THAT(host.events, ElementsAre("clear", "show"));

  AddSong("new.mp3", kSecondSong);
  Organize(1, 1);
  EXPECT_THAT(host.ReportLines(),
              ElementsAre(scanning, "", "The following MP3 files will be moved:",
                          "   \"new.mp3\": Move to \"./Some Band/First Album/06. Second "
                          "Song.mp3\"",
                          "", "Also, the following music lists may be updated:", "   a.m3u",
                          "   Sub/b.M3U", "   Sub/c.m3U8"));
  EXPECT_EQ(fs.calls().reads, 0);
  EXPECT_EQ(Changes() + fs.calls().folder_chains, 0);
  EXPECT_EQ(fs.calls().listings, 2 * 4) << "each of the 4 folders listed once per run";
}

TEST_F(OrganizerTest, NoMusicFilesGivesOnlyTheMessageAndLeavesEmptyFolders) {
  Add("list.m3u", "x");
  testing::MakeFolders(Music("Empty"));
  Organize(0, 1);
  EXPECT_THAT(host.events, ElementsAre("clear", question,
                                       "message:No MP3 files found under " + base + "|Quillfold"));
  EXPECT_EQ(host.report, "");
  EXPECT_TRUE(Exists("Empty"));
}

TEST_F(OrganizerTest, DecliningTheQuestionChangesNothingAndShowsNoReport) {
  AddSong("track.mp3", kOpeningSong);
  for (const Answer answer : {Answer::kNo, Answer::kCancel}) {
    host.events.clear();
    host.answer = answer;
    host.report = "left from an earlier run";
    Organize(0);
    EXPECT_THAT(host.events, ElementsAre("clear", question)) << static_cast<int>(answer);
    EXPECT_EQ(host.report, "") << "an open report is emptied even when the user declines";
    EXPECT_TRUE(Exists("track.mp3"));
    EXPECT_EQ(fs.calls().listings, 0) << "no playlist or file search";
  }
}

TEST_F(OrganizerTest, FoldersAreRemovedOnlyInARealRunWithTheOptionSetToOne) {
  const struct {
    int dont_do;
    int del_dirs;
    bool removed;
  } cases[] = {{0, 1, true}, {1, 1, false}, {0, 0, false}, {0, 2, false}};
  AddSong(kTarget, kOpeningSong);
  // Another file system mounted here is neither removed nor entered.
  fs.AddMountPoint(Music("Stick"));
  testing::MakeFolders(Music("Stick/Empty Inside"));
  for (const auto& c : cases) {
    testing::MakeFolders(Music("Empty"));
    Organize(c.dont_do, c.del_dirs);
    const std::string what = std::to_string(c.dont_do) + std::to_string(c.del_dirs);
    EXPECT_EQ(Exists("Empty"), !c.removed) << what;
    EXPECT_TRUE(Exists("Stick/Empty Inside")) << what;
    if (c.removed) {
      EXPECT_THAT(host.ReportLines(),
                  ElementsAre(processing, "",
                              "The Following Directories Were Removed:", "   " + Music("Empty")));
    } else {
      EXPECT_EQ(host.ReportLines().back(), "Nothing needs to be done.") << what;
    }
  }
}

TEST_F(OrganizerTest, PlaylistUpdatingOffSkipsThePlaylistPhase) {
  Add("a.m3u", Music("first.mp3") + "\r\n");
  AddSong("first.mp3", kOpeningSong);
  host.options.chkUpdateM3U = 0;
  Organize(0);
  EXPECT_EQ(fs.calls().reads + fs.calls().replacements, 0);
  EXPECT_EQ(Content("a.m3u"), Music("first.mp3") + "\r\n");
  EXPECT_EQ(host.ReportLines().size(), 4u) << "no playlist section";
}

// Options are read at the moment the run needs them: report-only when the
// question would be asked, real from the header on. A run started inside a
// running one does nothing.
TEST_F(OrganizerTest, OptionsAreReadWhenNeededAndARunInsideARunningOneDoesNothing) {
  AddSong("first.mp3", kOpeningSong);
  bool running_inside = false;
  host.on_pending_events = [&] {
    host.options.chkDontDo = 0;
    running_inside = organizer.running();
    organizer.OrganizeRun();
  };
  organizer.OrganizeRun();
  EXPECT_TRUE(running_inside);
  EXPECT_FALSE(organizer.running());
  EXPECT_THAT(host.events, ElementsAre("clear", "show"));
  EXPECT_EQ(host.ReportLines().front(), processing);
  EXPECT_TRUE(Exists(kTarget));
}

TEST_F(OrganizerTest, DuplicatesGetSuffixesThatTheReportNeverShowsAndStayOnReruns) {
  const std::string move = std::string("\": Move to \"./") + kTarget + "\"";
  const std::string suffixed = std::string(kTarget) + ".mp3";
  AddSong("a.mp3", kOpeningSong);
  AddSong("b.mp3", kOpeningSong);
  Organize(0);
  EXPECT_THAT(host.ReportLines(),
              ElementsAre(processing, "", ::testing::_, "   \"a.mp3" + move, "   \"b.mp3" + move));
  EXPECT_EQ(host.last_found, 2) << "progress counts the files found and placed";
  EXPECT_THAT(host.placing, ElementsAre(std::pair(1, 2), std::pair(2, 2)));
  EXPECT_EQ(Content(kTarget), TaggedMp3(kOpeningSong, "a.mp3"));
  EXPECT_EQ(Content(suffixed), TaggedMp3(kOpeningSong, "b.mp3"));

  // A rerun, report-only or real, leaves the duplicate at its free name...
  for (const int dont_do : {1, 0}) {
    Organize(dont_do);
    EXPECT_THAT(host.ReportLines(),
                ElementsAre(dont_do == 1 ? scanning : processing, "", "Nothing needs to be done."));
  }
  EXPECT_EQ(Content(suffixed), TaggedMp3(kOpeningSong, "b.mp3"));
  // ...until the name before it is free.
  std::filesystem::remove(base + kTarget);
  Organize(0);
  EXPECT_THAT(host.ReportLines(),
              ElementsAre(processing, "", ::testing::_, "   \"05. Opening Song.mp3.mp3" + move));
  EXPECT_EQ(Content(kTarget), TaggedMp3(kOpeningSong, "b.mp3"));
}

TEST_F(OrganizerTest, ANameTakenBetweenTheTestAndTheMoveIsNeverReplaced) {
  AddSong("a.mp3", kOpeningSong);
  fs.before_rename = [&](const std::string&, const std::string& to) {
    if (!testing::Exists(to) && to.ends_with("Song.mp3")) testing::WriteFile(to, "someone else's");
  };
  Organize(0);
  EXPECT_EQ(Content(kTarget), "someone else's");
  EXPECT_EQ(Content(std::string(kTarget) + ".mp3"), TaggedMp3(kOpeningSong, "a.mp3"));
  EXPECT_FALSE(Exists("a.mp3"));
}

TEST_F(OrganizerTest, AnArtistFolderLinkedOutOfTheBaseIsRefused) {
  // TEMP/ outside/   Music/Some Band -> ../outside   Music/a.mp3
  testing::MakeFolders(temp / "outside");
  testing::MakeLink(Music("Some Band"), "../outside");
  AddSong("a.mp3", kOpeningSong);
  EXPECT_THROW(Organize(0), RunError);
  EXPECT_TRUE(Exists("a.mp3"));
  EXPECT_TRUE(std::filesystem::is_empty(temp / "outside"));
}

// Music/ in/Song.mp3 (Band, Album, 1)  in/song.MP3 (Band, Album, 2)  in/z.mp3
//        list.m3u: both paths, each twice, each in its own spelling
// Whether the run ends or is killed after both have moved, before it writes
// the playlist (and the next run mends it), each line follows its own file.
TEST_F(OrganizerTest, PlaylistLinesFollowTheirOwnFileWhenNamesDifferOnlyInCase) {
  const TagSpec first{"First", "Band", "Album", 1};
  const TagSpec second{"Second", "Band", "Album", 2};
  const std::string twins = Music("in/Song.mp3") + "\r\n" + Music("in/song.MP3") + "\r\n";
  const std::string moved =
      Music("Band/Album/01. First.mp3") + "\r\n" + Music("Band/Album/02. Second.mp3") + "\r\n";
  for (const bool killed : {false, true}) {
    std::filesystem::remove_all(base);
    AddSong("in/Song.mp3", first);
    AddSong("in/song.MP3", second);
    AddSong("in/z.mp3", {"Third", "Band", "Album", 3});
    Add("list.m3u", twins + twins);
    PosixJournalStorage journals(temp / (killed ? "killed" : "ended"));
    host.options.chkDontDo = 0;
    if (killed) {
      ASSERT_TRUE(testing::KilledInChild([&] {
        testing::KillPoints points{3};
        fs.before_rename = [&](const std::string&, const std::string&) { points.Pass(); };
        Organizer(fs, host, &journals).OrganizeRun();
      }));
      ASSERT_EQ(Content("list.m3u"), twins + twins) << "killed before writing its playlist";
    }
    Organizer(fs, host, &journals).OrganizeRun();
    EXPECT_EQ(Content("Band/Album/01. First.mp3"), TaggedMp3(first, "in/Song.mp3")) << killed;
    EXPECT_EQ(Content("Band/Album/02. Second.mp3"), TaggedMp3(second, "in/song.MP3")) << killed;
    EXPECT_EQ(Content("list.m3u"), moved + moved) << killed;
  }
}

// A tree deeper than PATH_MAX below the base: no call needs a whole path, so
// its file is found, read, moved, and the empty chain removed, which also
// leaves the temporary folder removable again.
TEST_F(OrganizerTest, PathsLongerThanPathMaxBelowTheBaseWork) {
  const std::string level(200, 'd');
  int folder = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string relative;
  for (int depth = 0; depth < 25; ++depth) {
    ASSERT_EQ(mkdirat(folder, level.c_str(), 0755), 0);
    const int inner = openat(folder, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(folder);
    folder = inner;
    relative += level + "/";
  }
  ASSERT_GT(Music(relative).size(), static_cast<std::size_t>(PATH_MAX));
  const std::string song = TaggedMp3(kOpeningSong);
  const int file = openat(folder, "deep.mp3", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(write(file, song.data(), song.size()), static_cast<ssize_t>(song.size()));
  close(file);
  close(folder);
  Organize(0, 1);
  EXPECT_EQ(Content(kTarget), song);
  EXPECT_FALSE(Exists(level)) << "the emptied chain is removed";
}

// The counts that were once limits, and one more, are runs like any other:
// every file found moves, and every playlist and every line of one is read
// and follows it.
TEST(OrganizerLimitsTest, FormerLimitsAndOneMoreGoThrough) {
  const auto lines = [](int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\r\n";
    return text;
  };
  // A run on a.mp3 and what `fill` adds beside it; the drive as the run left it.
  const auto run = [](const std::function<void(Drive&)>& fill) {
    auto drive = std::make_unique<Drive>();
    drive->AddSong("a.mp3", kOpeningSong);
    fill(*drive);
    EXPECT_NO_THROW(drive->Organize(0));
    EXPECT_EQ(drive->Content(kTarget), TaggedMp3(kOpeningSong, "a.mp3"));
    return drive;
  };
  for (const int more : {0, 1}) {
    SCOPED_TRACE(more == 0 ? "at the former limits" : "one more");
    const int files = 32767 + more, playlists = 1000 + more, playlist_lines = 10000 + more;
    EXPECT_EQ(
        run([&](Drive& d) { d.fs.AddListedOnlyFiles(d.base, files - 1); })->fs.calls().renames,
        files);
    const auto many_lists = run([&](Drive& d) {
      for (int i = 0; i < playlists; ++i) d.Add(std::to_string(i) + ".m3u", lines(1, "x"));
      d.Add(std::to_string(playlists - 1) + ".m3u", lines(1, d.Music("a.mp3")));
    });
    EXPECT_EQ(many_lists->Content(std::to_string(playlists - 1) + ".m3u"),
              lines(1, many_lists->Music(kTarget)));
    const auto long_list =
        run([&](Drive& d) { d.Add("all.m3u", lines(playlist_lines, d.Music("a.mp3"))); });
    EXPECT_EQ(long_list->Content("all.m3u"), lines(playlist_lines, long_list->Music(kTarget)));
  }
}

}  // namespace
}  // namespace quillfold
