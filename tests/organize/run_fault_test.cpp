// Runs that fail part-way: the run stops with a clear error, files already
// moved stay moved and their playlists follow them where they could be
// written, no playlist is cut short, and nothing is overwritten or lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "errors/run_error.h"
#include "organize/organizer.h"
#include "organize/target_folders.h"
#include "platform/forwarding_file_system.h"
#include "platform/posix_file_system.h"
#include "sample_library/library_writer.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::PlaylistRules;
using testing::TakeSnapshot;
using testing::TreeSnapshot;

// A generated library of 120 files and 5 playlists below TEMP/music/, run
// for real (removing empty folders) through a fault-injecting file system.
struct FaultyLibrary {
  FaultyLibrary() {
    bench::WriteLibrary(plan, temp.path() + "music");
    host.chosen_path = base;
    host.options.chkDelDirs = 1;
    before = TakeSnapshot(base);
  }

  // Runs once for real; returns the error that ended the run.
  RunError RunExpectingFailure(FileSystem& file_system) {
    host.options.chkDontDo = 0;
    try {
      Organizer(file_system, host).OrganizeRun();
    } catch (const RunError& error) {
      EXPECT_FALSE(error.description().empty());
      return error;
    }
    ADD_FAILURE() << "the run did not fail";
    return RunError(ErrorNumber::kOverflow, "the run did not fail");
  }
  RunError RunExpectingFailure() { return RunExpectingFailure(faulty); }

  // Music files moved, counted by the places they left.
  int MovedFiles(const TreeSnapshot& after) const {
    return static_cast<int>(std::count_if(plan.files.begin(), plan.files.end(), [&](auto& file) {
      return !after.files.contains(file.relative);
    }));
  }

  // The tree now, in which no music file is lost, duplicated or overwritten,
  // no folder removed, and every playlist follows its files as `rules` allow.
  TreeSnapshot ExpectNothingLost(const PlaylistRules& rules) const {
    const TreeSnapshot after = TakeSnapshot(base);
    EXPECT_EQ(testing::ContentsOf(after, ".mp3"), testing::ContentsOf(before, ".mp3"))
        << "music files lost, duplicated or overwritten";
    EXPECT_TRUE(std::includes(after.folders.begin(), after.folders.end(), before.folders.begin(),
                              before.folders.end()))
        << "a folder was removed after a failure";
    EXPECT_EQ(testing::PlaylistProblems(rules, before, after), testing::kNoPlaylistProblems);
    return after;
  }
  TreeSnapshot ExpectNothingLost() const { return ExpectNothingLost(PlaylistRules(base)); }

  // Whether the report lists `item`; the lines of the files it moves.
  bool Listed(const std::string& item) const {
    const auto lines = host.ReportLines();
    return std::find(lines.begin(), lines.end(), "   " + item) != lines.end();
  }

  testing::TempFolder temp;
  std::string base = temp.path() + "music/";
  bench::LibraryPlan plan = bench::PlanLibrary({.files = 120,
                                                .playlists = 5,
                                                .min_playlist_lines = 20,
                                                .max_playlist_lines = 60,
                                                .empty_chains = 3,
                                                .seed = 11});
  testing::FaultyFileSystem faulty{RealFileSystem()};
  testing::RecordingHost host;
  TreeSnapshot before;
};

TEST(RunFaultTest, RenameRefusedAtFileKKeepsEarlierMovesAndTheirPlaylists) {
  for (const int k : {1, 2, 37, 100}) {
    SCOPED_TRACE("rename " + std::to_string(k) + " refused");
    FaultyLibrary library;
    library.faulty.FailRenameNumber(k);
    const RunError error = library.RunExpectingFailure();
    EXPECT_EQ(error.error_number(), ErrorNumber::kPermissionDenied) << error.description();
    EXPECT_EQ(library.MovedFiles(library.ExpectNothingLost()), k - 1);
  }
}

TEST(RunFaultTest, PlaylistThatCannotBeWrittenStaysWholeAndTheOthersAreWritten) {
  FaultyLibrary library;
  const std::string broken = library.plan.playlists[1].relative;
  library.faulty.FailReplaceOf(library.base + broken);
  const RunError error = library.RunExpectingFailure();
  EXPECT_EQ(error.error_number(), ErrorNumber::kDiskFull) << error.description();
  const TreeSnapshot after = library.ExpectNothingLost(PlaylistRules(library.base, {broken}));
  EXPECT_EQ(after.files.at(broken), library.before.files.at(broken));
  EXPECT_GT(library.MovedFiles(after), 100);
  for (const auto& playlist : library.plan.playlists) {
    EXPECT_EQ(library.Listed(playlist.relative), playlist.relative != broken) << playlist.relative;
  }
}

TEST(RunFaultTest, PlaylistWriteFailingHalfWayOnTheRealDiskLeavesTheOldFileWhole) {
  FaultyLibrary library;
  {
    // Every playlist is longer than this, so every write stops part-way.
    testing::FileSizeLimit limit(1000);
    library.RunExpectingFailure(RealFileSystem());
  }
  PlaylistRules rules(library.base);
  rules.all_may_stay_whole = true;
  const TreeSnapshot after = library.ExpectNothingLost(rules);
  for (const auto& playlist : library.plan.playlists) {
    EXPECT_EQ(after.files.at(playlist.relative), library.before.files.at(playlist.relative))
        << playlist.relative << " was not kept whole";
  }
  EXPECT_EQ(testing::ContentsOf(after, ""), testing::ContentsOf(library.before, ""))
      << "a half-written file was left behind";
}

TEST(RunFaultTest, FolderThatCannotBeListedEndsTheRunBeforeAnythingChanges) {
  const FaultyLibrary probe;
  std::vector<std::string> folders = {""};
  for (const auto& folder : probe.plan.folders) {
    if (std::count(folder.begin(), folder.end(), '/') == 1) folders.push_back(folder);
    if (folders.size() == 3) break;
  }
  for (const auto& folder : folders) {
    SCOPED_TRACE("cannot list \"" + folder + "\"");
    FaultyLibrary library;
    library.faulty.FailListingOf(library.base + folder);
    const RunError error = library.RunExpectingFailure();
    EXPECT_EQ(error.error_number(), ErrorNumber::kPermissionDenied) << error.description();
    EXPECT_EQ(TakeSnapshot(library.base), library.before);
  }
}

TEST(RunFaultTest, FullVolumeStopsTheRunWithPlaylistsWholeOrFollowingTheirFiles) {
  for (const int full_after : {0, 30}) {
    SCOPED_TRACE("volume full after " + std::to_string(full_after) + " moves");
    FaultyLibrary library;
    int renames = 0;
    library.faulty.SetDiskFull(full_after == 0);
    library.faulty.before_rename = [&](const std::string&, const std::string&) {
      if (++renames > full_after) library.faulty.SetDiskFull(true);
    };
    const RunError error = library.RunExpectingFailure();
    if (full_after == 0) {
      EXPECT_NE(error.description().find("creating folder"), std::string::npos)
          << "the folder that could not be made is the cause, not a later move: "
          << error.description();
    }
    PlaylistRules rules(library.base);
    rules.all_may_stay_whole = true;
    EXPECT_GE(library.MovedFiles(library.ExpectNothingLost(rules)), full_after);
  }
}

// Another volume mounted inside the base is not entered: named once, its
// files left alone, and the report-only and the real run list the same moves.
TEST(RunFaultTest, AVolumeMountedInsideTheBaseIsLeftAloneByBothKindsOfRun) {
  std::vector<std::string> moves[2];
  for (const int dont_do : {1, 0}) {
    FaultyLibrary library;
    const std::string& first =
        std::find_if(library.plan.files.begin(), library.plan.files.end(), [](const auto& file) {
          return file.relative.find('/') != std::string::npos;
        })->relative;
    const std::string mounted = library.base + first.substr(0, first.find('/'));
    library.faulty.AddMountPoint(mounted);
    library.host.options.chkDontDo = dont_do;
    Organizer(library.faulty, library.host).OrganizeRun();
    EXPECT_EQ(library.host.skipped, std::vector<std::string>{mounted});
    const TreeSnapshot after = TakeSnapshot(library.base);
    for (const auto& file : library.plan.files) {
      if ((library.base + file.relative).starts_with(mounted + "/")) {
        EXPECT_TRUE(after.files.contains(file.relative)) << file.relative;
      }
    }
    moves[dont_do] = library.host.MoveLines();
  }
  EXPECT_GT(moves[0].size(), 50u);
  EXPECT_EQ(moves[0], moves[1]);
}

// The target of a report's move line, relative to the base.
std::string Target(const std::string& move_line) {
  const std::size_t start =
      move_line.find(testing::RecordingHost::kMoveTo) + testing::RecordingHost::kMoveTo.size();
  return move_line.substr(start, move_line.size() - 1 - start);
}

// The user moves an album's folder out of the base between two of its
// files. The run stops before the next move into it, naming it; only the
// file moved before stays outside, the report names no place where nothing
// is, and with the folder put back every playlist line names its file. The
// check asks the medium nothing per move: a whole-path look-up is made once
// per target folder, when it is made ready.
TEST(RunFaultTest, AnAlbumFolderMovedAwayMidRunStopsTheRunBeforeAFileFollowsIt) {
  FaultyLibrary library;
  library.host.options.chkDontDo = 1;
  Organizer(library.faulty, library.host).OrganizeRun();
  std::vector<std::string> folders;
  for (const std::string& line : library.host.MoveLines()) {
    folders.push_back(Target(line).substr(0, Target(line).rfind('/')));
  }
  std::string album;
  for (auto it = folders.begin(); it != folders.end() && album.empty(); ++it) {
    if (std::count(folders.begin(), folders.end(), *it) > 1) album = *it;
  }
  ASSERT_FALSE(album.empty());
  const std::string away = library.temp.path() + "away";
  library.faulty.after_rename = [&](const std::string& from, const std::string& to) {
    if (to.starts_with(library.base + album + "/") && !testing::Exists(from) &&
        !testing::Exists(away)) {
      std::filesystem::rename(library.base + album, away);
    }
  };
  const int lookups_before = library.faulty.calls().whole_path_lookups;
  const RunError error = library.RunExpectingFailure();
  EXPECT_NE(error.description().find(library.base + album + "\" was moved"), std::string::npos)
      << error.description();
  EXPECT_EQ(TakeSnapshot(away).files.size(), 1u) << "a file followed the folder out of the base";
  const std::vector<std::string> listed = library.host.MoveLines();
  std::set<std::string> listed_folders;
  for (const std::string& line : listed)
    listed_folders.insert(Target(line).substr(0, Target(line).rfind('/')));
  EXPECT_EQ(library.faulty.calls().whole_path_lookups - lookups_before,
            static_cast<int>(listed_folders.size()));
  std::filesystem::rename(away, library.base + album);
  const TreeSnapshot after = library.ExpectNothingLost();
  for (const std::string& line : listed) EXPECT_TRUE(after.files.contains(Target(line))) << line;
}

// Says nothing of where held folders are, as a system without /proc.
class NoHeldFolderPaths final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::optional<std::string> HeldFolderPath(const std::string&) override { return std::nullopt; }
};

// A target folder moved out of the base after files went into it is
// noticed before the next move into it, though the folder held open for
// those moves followed it; one still in place is let through, the base
// named through a link. Whether or not the OS tells where a held folder is;
// where it does, a folder that went along with its base is in place.
TEST(RunFaultTest, ATargetFolderMovedOutOfTheBaseIsNoticedBeforeTheNextMoveIntoIt) {
  NoHeldFolderPaths without_held_paths(RealFileSystem());
  for (FileSystem* file_system :
       {&RealFileSystem(), static_cast<FileSystem*>(&without_held_paths)}) {
    SCOPED_TRACE(file_system == &RealFileSystem() ? "held paths" : "whole paths");
    testing::TempFolder temp;
    testing::WriteFile(temp.path() + "music/a.mp3", "a");
    std::filesystem::create_directory_symlink("music", temp.path() + "link");
    const std::string base = temp.path() + "link/";
    TargetFolders folders(*file_system, base);
    folders.Prepare(base + "Band/Album/");
    ASSERT_EQ(file_system->RenameNoReplace(base + "a.mp3", base + "Band/Album/a.mp3"),
              RenameOutcome::kRenamed);
    EXPECT_NO_THROW(folders.Prepare(base + "Band/Album/"));
    if (file_system == &RealFileSystem()) {
      std::filesystem::rename(temp.path() + "music", temp.path() + "renamed");
      EXPECT_NO_THROW(folders.Prepare(base + "Band/Album/")) << "the base moved, the folder along";
      std::filesystem::rename(temp.path() + "renamed", temp.path() + "music");
    }
    std::filesystem::rename(base + "Band", temp.path() + "Band");
    EXPECT_THROW(folders.Prepare(base + "Band/Album/"), RunError);
    testing::MakeFolders(base + "Band/Album");
    EXPECT_THROW(folders.Prepare(base + "Band/Album/"), RunError) << "a new folder of that name";
  }
}

}  // namespace
}  // namespace quillfold
