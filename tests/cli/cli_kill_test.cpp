// The real quillfold-cli sent a signal at seeded random moments of real runs
// on a library of several thousand files. Killed: afterwards either undo puts
// the tree back as it was, or the next run mends the playlists (and undoing
// it and the killed run puts the tree back). Asked to stop: the run ends
// whole. No music file is ever lost.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "bench/library_plan.h"
#include "bench/library_writer.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

extern char** environ;

namespace quillfold {
namespace {

using testing::PlaylistProblems;
using testing::PlaylistRules;
using testing::TakeSnapshot;

constexpr int kSignals = 20;
const std::vector<std::string> kNoProblems;

// Runs quillfold-cli with `args`, standard output to `out_path`, and sends it
// `signal_number` after `signal_after` unless it ended before. Returns the
// exit status, -1 if the signal ended it.
int Cli(std::vector<std::string> args, std::chrono::microseconds signal_after,
        int signal_number = SIGKILL, const std::string& out_path = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  args.insert(args.begin(), QUILLFOLD_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -2;
  if (signal_after.count() > 0) {
    std::this_thread::sleep_for(signal_after);
    kill(pid, signal_number);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> RealRunArgs(const std::string& base) {
  return {"--apply", "--yes", "--remove-empty-folders", base};
}

int RealRun(const std::string& base) { return Cli(RealRunArgs(base), {}); }

int Undo(const std::string& base) { return Cli({"--undo", "--apply", "--yes", base}, {}); }

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
    const std::string report = temp_.path() + "report.txt";
    const int status = Cli(RealRunArgs(base_), kill_after, SIGKILL, report);
    killed += status == -1;
    Landed(status == 0);
    EXPECT_EQ(ContentsOf(TakeSnapshot(base_), ".mp3"), ContentsOf(before_, ".mp3"));
    const std::string printed = testing::ReadFile(report);
    EXPECT_TRUE(printed.empty() || printed.ends_with('\n')) << "a report cut mid-line";
    if (kill % 2 == 1) {
      ASSERT_EQ(RealRun(base_), 0);
      const testing::TreeSnapshot mended = TakeSnapshot(base_);
      EXPECT_EQ(PlaylistProblems(PlaylistRules(base_), before_, mended), kNoProblems);
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
  const std::string report = temp_.path() + "report.txt";
  int stopped = 0;
  for (int stop = 0; stop < kSignals; ++stop) {
    const int signal_number = std::array{SIGINT, SIGTERM, SIGHUP}[stop % 3];
    const std::chrono::microseconds stop_after = SomeMomentOfARun();
    SCOPED_TRACE("signal " + std::to_string(signal_number) + " after " +
                 std::to_string(stop_after.count()) + " us");
    const int status = Cli(RealRunArgs(base_), stop_after, signal_number, report);
    stopped += status == 128 + signal_number;
    Landed(status == 0);
    const testing::TreeSnapshot after = TakeSnapshot(base_);
    // A signal before the program has set itself up still ends it at once.
    if (status == -1) {
      EXPECT_EQ(after, before_);
    }
    EXPECT_TRUE(status == 0 || status == 128 + signal_number || status == -1) << status;
    EXPECT_EQ(ContentsOf(after, ".mp3"), ContentsOf(before_, ".mp3"));
    EXPECT_EQ(PlaylistProblems(PlaylistRules(base_), before_, after), kNoProblems);
    for (const auto& [path, content] : after.files) {
      EXPECT_EQ(path.find(".quillfold-"), std::string::npos) << path;
    }
    const std::string printed = testing::ReadFile(report);
    EXPECT_TRUE(printed.empty() || printed.ends_with('\n'));
    ASSERT_EQ(Undo(base_), 0);
    ASSERT_EQ(TakeSnapshot(base_), before_);
  }
  EXPECT_GE(stopped, kSignals / 2) << "most signals come before the run ends";
}

}  // namespace
}  // namespace quillfold
