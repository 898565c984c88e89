// Several processes and a crashing one on the same hive folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/file_registry.h"
#include "settings/hive_format.h"
#include "settings/settings_key.h"
#include "tests/support/hive_folder.h"

namespace quillfold {
namespace {

using testing::HiveFolder;
using testing::QueryData;
using testing::ReadFile;
using testing::SetData;

// Runs `body` in a child process and returns its wait status. The child
// ends with `body`'s result as its exit status and never returns here.
template <typename Body>
pid_t StartChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// The settings key of a fresh FileRegistry on `folder`, then `rounds`
// changes of the value `name`, each a whole save. 0 when all succeeded.
int SaveRepeatedly(const std::string& folder, const std::string& name, int rounds) {
  FileRegistry registry(folder);
  for (int round = 0; round < rounds; ++round) {
    HKEY key = 0;
    if (registry.CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key) != 0) return 1;
    if (SetData(registry, key, name, "round " + std::to_string(round)) != 0) return 2;
    registry.CloseKey(key);
  }
  return 0;
}

TEST(FileRegistryProcessTest, ProcessesSavingAtTheSameMomentKeepEachOthersValues) {
  constexpr int kProcesses = 4;
  constexpr int kRounds = 30;
  HiveFolder hives;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    children.push_back(StartChild([&, i] {
      close(start[1]);
      char ignored;
      // Every child waits here until the parent closes the pipe, so all
      // start saving together.
      if (read(start[0], &ignored, 1) != 0) return 3;
      return SaveRepeatedly(hives.folder(), "Value" + std::to_string(i), kRounds);
    }));
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : children) {
    const int status = WaitFor(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "child " << child << " " << status;
  }
  HKEY key = 0;
  ASSERT_EQ(hives.registry().OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), 0);
  for (int i = 0; i < kProcesses; ++i) {
    EXPECT_EQ(QueryData(hives.registry(), key, "Value" + std::to_string(i)),
              "round " + std::to_string(kRounds - 1))
        << "Value" << i;
  }
}

TEST(FileRegistryProcessTest, ACrashWhileSavingLeavesTheOldFileWholeAndTheNextSaveTidiesUp) {
  HiveFolder hives;
  HKEY key = 0;
  ASSERT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), 0);
  ASSERT_EQ(SetData(hives.registry(), key, "StartPath", "/old/"), 0);
  const std::string before = ReadFile(hives.MachineFile());

  // The child may write files of at most 4 KiB: the kernel kills it with
  // SIGXFSZ in the middle of writing the much larger new content.
  const int status = WaitFor(StartChild([&] {
    const rlimit no_core{0, 0};
    const rlimit small_files{4096, 4096};
    signal(SIGXFSZ, SIG_DFL);
    setrlimit(RLIMIT_CORE, &no_core);
    setrlimit(RLIMIT_FSIZE, &small_files);
    FileRegistry registry(hives.folder());
    HKEY child_key = 0;
    registry.OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, child_key);
    SetData(registry, child_key, "StartPath", std::string(20000, 'n'));
    return 0;
  }));
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;

  EXPECT_EQ(ReadFile(hives.MachineFile()), before);
  EXPECT_EQ(QueryData(hives.registry(), key, "StartPath"), "/old/");
  const auto is_temporary = [](const std::string& name) { return name.starts_with("."); };
  std::vector<std::string> names = hives.Names();
  EXPECT_EQ(std::count_if(names.begin(), names.end(), is_temporary), 1) << "the unfinished save";

  ASSERT_EQ(SetData(hives.registry(), key, "chkDontDo", "checked"), 0);
  names = hives.Names();
  EXPECT_EQ(std::count_if(names.begin(), names.end(), is_temporary), 0);
  EXPECT_EQ(QueryData(hives.registry(), key, "StartPath"), "/old/");
}

}  // namespace
}  // namespace quillfold
