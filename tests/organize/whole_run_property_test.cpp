// Whole runs over seeded random libraries (random tags, duplicates, missing
// fields, playlists, empty folder chains, hidden files, links), checking
// what must hold for every library rather than one drawn case. The first
// real run reads ahead, so all of it holds for the read-ahead as well.
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "organize/organizer.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"
#include "sample_library/library_writer.h"
#include "sample_library/seeded_random.h"
#include "tests/support/mp3_files.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

using testing::PlaylistProblems;
using testing::PlaylistRules;
using testing::RecordingHost;
using testing::TakeSnapshot;
using testing::TreeSnapshot;

constexpr int kSeeds = 8;

// The three placement options and folder removal drawn from the seed;
// playlist updating stays on (the default), since the playlists are under
// test.
OrganizeOptions OptionsFor(std::uint64_t seed, bool report_only) {
  bench::SeededRandom random(seed * 7919);
  OrganizeOptions options;
  options.chkDontDo = report_only ? 1 : 0;
  for (int* option : {&options.chkTrackName, &options.chkIgnoreNoTrack, &options.chkNoAlbum,
                      &options.chkDelDirs}) {
    *option = random.Percent(50);
  }
  return options;
}

// With `jobs` above 1 the run reads ahead on that many threads, always: the
// disk under test is warm, and would otherwise be read on the caller's own.
RecordingHost OrganizeOnce(const std::string& base, const OrganizeOptions& options, int jobs = 1) {
  RecordingHost host;
  host.chosen_path = base;
  host.options = options;
  std::optional<ReadAheadFileSystem> read_ahead;
  if (jobs > 1) read_ahead.emplace(RealFileSystem(), jobs, std::chrono::nanoseconds(0));
  Organizer(read_ahead ? static_cast<FileSystem&>(*read_ahead) : RealFileSystem(), host)
      .OrganizeRun();
  return host;
}

// The name a listed file had before the run: between the first two quotes.
std::string ListedName(const std::string& line) {
  const auto open = line.find('"');
  return line.substr(open + 1, line.find('"', open + 1) - open - 1);
}

// A library below TEMP/music, with things beside it that no run may touch:
// TEMP/outside, reached from inside the base only through links.
struct Library {
  testing::TempFolder temp;
  std::string base = temp.path() + "music/";
  std::string outside = temp.path() + "outside/";

  explicit Library(std::uint64_t seed) {
    bench::WriteLibrary(bench::PlanLibrary({.files = 150 + static_cast<int>(seed) * 25,
                                            .playlists = 6,
                                            .min_playlist_lines = 5,
                                            .max_playlist_lines = 80,
                                            .empty_chains = 6,
                                            .hidden_files = 5,
                                            .links = 6,
                                            .seed = seed}),
                        temp.path() + "music");
    testing::WriteFile(outside + "kept.mp3", testing::TaggedMp3({"Song", "Band", "Album", 3}));
    testing::WriteFile(outside + "list.m3u", base + "kept.mp3\r\n");
    EXPECT_EQ(symlink(outside.c_str(), (base + "to outside").c_str()), 0);
    EXPECT_EQ(symlink((outside + "kept.mp3").c_str(), (base + "outside.mp3").c_str()), 0);
  }
};

// Report-only changes nothing and foretells the real run; the real run keeps
// every file, link and playlist line and touches nothing outside the base;
// a second run moves only files that carry a collision suffix.
TEST(WholeRunPropertyTest, RunsKeepEveryFileAndLineAndASecondRunMovesOnlySuffixedFiles) {
  for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Library library(seed);
    const TreeSnapshot before = TakeSnapshot(library.base);
    const TreeSnapshot outside_before = TakeSnapshot(library.outside);

    const RecordingHost preview = OrganizeOnce(library.base, OptionsFor(seed, true));
    EXPECT_EQ(TakeSnapshot(library.base), before);
    const RecordingHost real =
        OrganizeOnce(library.base, OptionsFor(seed, false), 2 + static_cast<int>(seed % 7));
    EXPECT_EQ(preview.MoveLines(), real.MoveLines());
    EXPECT_FALSE(real.MoveLines().empty());

    const TreeSnapshot after = TakeSnapshot(library.base);
    EXPECT_EQ(testing::ContentsOf(after, ".mp3"), testing::ContentsOf(before, ".mp3"))
        << "music files lost, duplicated or changed";
    EXPECT_EQ(after.links, before.links);
    EXPECT_EQ(PlaylistProblems(PlaylistRules(library.base), before, after),
              testing::kNoPlaylistProblems);
    EXPECT_EQ(TakeSnapshot(library.outside), outside_before) << "changed outside the base";

    const RecordingHost second = OrganizeOnce(library.base, OptionsFor(seed, false));
    const std::vector<std::string> listed = second.MoveLines();
    for (const auto& line : listed) {
      EXPECT_TRUE(AsciiUpper(ListedName(line)).ends_with(".MP3.MP3")) << line;
    }
    if (listed.empty()) {
      EXPECT_EQ(second.report,
                "Processing Directory " + library.base + ":\r\n\r\nNothing needs to be done.");
    }
  }
}

}  // namespace
}  // namespace quillfold
