// The real quillfold-cli sent a signal at seeded random moments of real runs
// on a library of several thousand files. Killed: afterwards either undo puts
// the tree back as it was, or the next run mends the playlists (and undoing
// it and the killed run puts the tree back). Asked to stop: the run ends
// whole. No music file is ever lost.
#include <gtest/gtest.h>
#include <signal.h>

#include <array>
#include <chrono>
#include <random>

#include "sample_library/library_plan.h"
#include "sample_library/library_writer.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::PlaylistProblems;
using testing::PlaylistRules;
using testing::TakeSnapshot;

constexpr int kSignals = 20;

// Runs quillfold-cli with `args`, sent `signal` if it is still running then.
// The exit status is -1 when a signal ended it.
testing::ProgramResult Cli(const std::vector<std::string>& args,
                           std::optional<testing::LateSignal> signal = std::nullopt) {
  return testing::RunProgram(QUILLFOLD_CLI_PATH, args, "/", testing::StandardOutput::kCollected,
                             signal);
}

std::vector<std::string> RealRunArgs(const std::string& base) {
  return {"--apply", "--yes", "--remove-empty-folders", base};
}

int RealRun(const std::string& base) { return Cli(RealRunArgs(base)).status; }

int Undo(const std::string& base) { return Cli({"--undo", "--apply", "--yes", base}).status; }

// A library of a few thousand files, its state before any run, and how long
// a whole real run on it takes here.
class CliSignalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_STATE_HOME", (temp_.path() + "state").c_str(), 1);
    bench::WriteLibrary(bench::PlanLibrary({.files = 3000,
                                            .playlists = 20,
                                            .min_playlist_lines = 10,
                                            .max_playlist_lines = 300,
                                            .empty_chains = 10,
                                            .hidden_files = 10,
                                            .links = 10,
                                            .seed = 11}),
                        temp_.path() + "music");
    before_ = TakeSnapshot(base_);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RealRun(base_), 0);
    whole_run_ = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_EQ(Undo(base_), 0);
    ASSERT_EQ(TakeSnapshot(base_), before_);
  }

  std::chrono::microseconds SomeMomentOfARun() {
    return std::chrono::microseconds(1 + random_() % whole_run_.count());
  }

  // A signal that came after the run ended narrows the window: runs here
  // may be faster than the timed one was.
  void Landed(bool after_the_end) {
    if (after_the_end) whole_run_ = whole_run_ * 3 / 4 + std::chrono::microseconds(1);
  }

  testing::TempFolder temp_;
  const std::string base_ = temp_.path() + "music/";
  testing::TreeSnapshot before_;
  std::chrono::microseconds whole_run_{};
  std::mt19937_64 random_{2026};
};

TEST_F(CliSignalTest, AKilledRunIsMendedByTheNextOrUndone) {
  int killed = 0;
  for (int kill = 0; kill < kSignals; ++kill) {
    const std::chrono::microseconds kill_after = SomeMomentOfARun();
    SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(kill_after.count()) +
                 " us");
    const testing::ProgramResult run = Cli(RealRunArgs(base_), {{kill_after, SIGKILL}});
    killed += run.status == -1;
    Landed(run.status == 0);
    EXPECT_EQ(ContentsOf(TakeSnapshot(base_), ".mp3"), ContentsOf(before_, ".mp3"));
    EXPECT_TRUE(run.out.empty() || run.out.ends_with('\n')) << "a report cut mid-line";
    if (kill % 2 == 1) {
      ASSERT_EQ(RealRun(base_), 0);
      const testing::TreeSnapshot mended = TakeSnapshot(base_);
      EXPECT_EQ(PlaylistProblems(PlaylistRules(base_), before_, mended),
                testing::kNoPlaylistProblems);
      EXPECT_EQ(ContentsOf(mended, ".mp3"), ContentsOf(before_, ".mp3"));
      ASSERT_EQ(Undo(base_), 0);
    }
    ASSERT_EQ(Undo(base_), 0);
    ASSERT_EQ(TakeSnapshot(base_), before_);
  }
  EXPECT_GE(killed, kSignals / 2) << "most kills come before the run ends";
}

// Ctrl-C, kill and a closed terminal stop a run between two files: its
// playlists are right at once, no temporary is left, the report is whole
// lines, and the journal is complete, so undo puts everything back.
TEST_F(CliSignalTest, AStoppedRunLeavesItsPlaylistsRightAndCanBeUndone) {
  int stopped = 0;
  for (int stop = 0; stop < kSignals; ++stop) {
    const int signal_number = std::array{SIGINT, SIGTERM, SIGHUP}[stop % 3];
    const std::chrono::microseconds stop_after = SomeMomentOfARun();
    SCOPED_TRACE("signal " + std::to_string(signal_number) + " after " +
                 std::to_string(stop_after.count()) + " us");
    const testing::ProgramResult run = Cli(RealRunArgs(base_), {{stop_after, signal_number}});
    const int status = run.status;
    stopped += status == 128 + signal_number;
    Landed(status == 0);
    const testing::TreeSnapshot after = TakeSnapshot(base_);
    // A signal before the program has set itself up still ends it at once.
    if (status == -1) {
      EXPECT_EQ(after, before_);
    }
    EXPECT_TRUE(status == 0 || status == 128 + signal_number || status == -1) << status;
    EXPECT_EQ(ContentsOf(after, ".mp3"), ContentsOf(before_, ".mp3"));
    EXPECT_EQ(PlaylistProblems(PlaylistRules(base_), before_, after), testing::kNoPlaylistProblems);
    for (const auto& [path, content] : after.files) {
      EXPECT_EQ(path.find(".quillfold-"), std::string::npos) << path;
    }
    EXPECT_TRUE(run.out.empty() || run.out.ends_with('\n'));
    ASSERT_EQ(Undo(base_), 0);
    ASSERT_EQ(TakeSnapshot(base_), before_);
  }
  EXPECT_GE(stopped, kSignals / 2) << "most signals come before the run ends";
}

}  // namespace
}  // namespace quillfold
