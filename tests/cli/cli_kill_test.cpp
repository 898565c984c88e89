// The real quillfold-cli killed with SIGKILL at seeded random moments of real
// runs on a library of several thousand files: afterwards either undo puts
// the tree back as it was, or the next run mends the playlists (and undoing
// it and the killed run puts the tree back); no music file is ever lost.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "bench/library_plan.h"
#include "bench/library_writer.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

extern char** environ;

namespace quillfold {
namespace {

using testing::LinesNamingFiles;
using testing::TakeSnapshot;

constexpr int kKills = 20;

// Runs quillfold-cli with `args`, its output thrown away, and kills it after
// `kill_after` unless it ended before. Returns the exit status, -1 if killed.
int Cli(std::vector<std::string> args, std::chrono::microseconds kill_after) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int fd : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
  }
  args.insert(args.begin(), QUILLFOLD_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -2;
  if (kill_after.count() > 0) {
    std::this_thread::sleep_for(kill_after);
    kill(pid, SIGKILL);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RealRun(const std::string& base, std::chrono::microseconds kill_after = {}) {
  return Cli({"--apply", "--yes", "--remove-empty-folders", base}, kill_after);
}

int Undo(const std::string& base) { return Cli({"--undo", "--apply", "--yes", base}, {}); }

TEST(CliKillTest, AKilledRunIsMendedByTheNextOrUndone) {
  testing::TempFolder temp;
  setenv("XDG_STATE_HOME", (temp.path() + "state").c_str(), 1);
  const std::string base = temp.path() + "music/";
  bench::WriteLibrary(bench::PlanLibrary({.files = 3000,
                                          .playlists = 20,
                                          .min_playlist_lines = 10,
                                          .max_playlist_lines = 300,
                                          .empty_chains = 10,
                                          .hidden_files = 10,
                                          .links = 10,
                                          .seed = 11}),
                      temp.path() + "music");
  const testing::TreeSnapshot before = TakeSnapshot(base);
  const auto lines_before = LinesNamingFiles(before, base);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RealRun(base), 0);
  const auto whole_run = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  ASSERT_EQ(Undo(base), 0);
  ASSERT_EQ(TakeSnapshot(base), before);

  std::mt19937_64 random(2026);
  int killed = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const std::chrono::microseconds kill_after(1 + random() % whole_run.count());
    SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(kill_after.count()) +
                 " us");
    killed += RealRun(base, kill_after) == -1;
    EXPECT_EQ(ContentsOf(TakeSnapshot(base), ".mp3"), ContentsOf(before, ".mp3"));
    if (kill % 2 == 1) {
      ASSERT_EQ(RealRun(base), 0);
      const testing::TreeSnapshot mended = TakeSnapshot(base);
      EXPECT_EQ(LinesNamingFiles(mended, base), lines_before);
      EXPECT_EQ(ContentsOf(mended, ".mp3"), ContentsOf(before, ".mp3"));
      ASSERT_EQ(Undo(base), 0);
    }
    ASSERT_EQ(Undo(base), 0);
    ASSERT_EQ(TakeSnapshot(base), before);
  }
  EXPECT_GE(killed, kKills / 2) << "most kills come before the run ends";
}

}  // namespace
}  // namespace quillfold
