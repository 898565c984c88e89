#include "settings/file_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/hive_format.h"
#include "settings/settings_key.h"
#include "tests/support/hive_folder.h"
#include "tests/support/kill_points.h"
#include "tests/support/scoped_variable.h"
#include "text/scope_exit.h"

namespace quillfold {
namespace {

using testing::HiveFolder;
using testing::QueryData;
using testing::ReadFile;
using testing::SetData;
using testing::StartChild;
using testing::WaitFor;
using testing::WriteFile;

// CreateKey saves every missing level at once; OpenKey then finds the key
// in any letter case, also below an open key, but not by a prefix of its
// name nor under another root. A value is never copied past a buffer's end.
TEST(FileRegistryTest, CreateKeyMakesEveryLevelThatOpenKeyThenFinds) {
  HiveFolder hives;
  Registry& registry = hives.registry();
  EXPECT_NE(hives.Create(), 0u);
  EXPECT_EQ(ReadFile(hives.MachineFile()),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n");
  HKEY parent = 0, child = 0, any_case = 0;
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brackwater", parent), 0);
  EXPECT_EQ(registry.OpenKey(parent, "Quillfold", child), 0);
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "software\\BRACKWATER\\quillfold", any_case), 0);
  EXPECT_EQ(SetData(registry, child, "v", "1"), 0);
  EXPECT_EQ(QueryData(registry, any_case, "V"), "1") << "both handles name one key";
  std::int32_t type = 0;
  std::uint32_t size = 0;
  std::uint8_t untouched = 'x';
  EXPECT_EQ(registry.QueryValue(child, "v", type, &untouched, size), ERROR_MORE_DATA);
  EXPECT_EQ(std::pair(size, untouched), std::pair(1u, std::uint8_t{'x'})) << "nothing copied";
  for (const auto& [root, path] : {std::pair{HKEY_LOCAL_MACHINE, "SOFTWARE\\Brack"},
                                   std::pair{HKEY_CURRENT_USER, kSettingsKeyPath.data()}}) {
    HKEY missing = 99;
    EXPECT_EQ(registry.OpenKey(root, path, missing), ERROR_FILE_NOT_FOUND) << path;
    EXPECT_EQ(missing, 0u) << path;
  }
}

// Other roots, malformed paths and handles not open (closed ones
// included) are refused and change nothing; the roots stay usable.
TEST(FileRegistryTest, BadRootsPathsAndHandlesAreRefusedAndChangeNothing) {
  HiveFolder hives;
  Registry& registry = hives.registry();
  const struct {
    HKEY root;
    std::string path;
    std::int32_t expected;
  } cases[] = {
      {0x80000003u, "A", ERROR_INVALID_HANDLE},
      {12345, "A", ERROR_INVALID_HANDLE},
      {HKEY_LOCAL_MACHINE, "\\A", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\\", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\\\\B", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\nB", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, std::string("A\0B", 3), ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    for (const bool create : {true, false}) {
      HKEY key = 77;
      EXPECT_EQ(
          create ? registry.CreateKey(c.root, c.path, key) : registry.OpenKey(c.root, c.path, key),
          c.expected)
          << c.root << " " << c.path << (create ? " created" : " opened");
      EXPECT_EQ(key, 0u) << c.root << " " << c.path;
    }
  }
  EXPECT_TRUE(hives.Names().empty());

  const HKEY closed = hives.Create("Other");
  ASSERT_EQ(registry.CloseKey(closed), 0);
  for (const HKEY bad : {HKEY{0}, closed, HKEY{4242}}) {
    std::int32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(bad, "v", type, nullptr, size), ERROR_INVALID_HANDLE) << bad;
    EXPECT_EQ(SetData(registry, bad, "v", "x"), ERROR_INVALID_HANDLE) << bad;
    EXPECT_EQ(registry.CloseKey(bad), ERROR_INVALID_HANDLE) << bad;
  }
  EXPECT_EQ(registry.CloseKey(HKEY_LOCAL_MACHINE), 0);
  EXPECT_EQ(SetData(registry, HKEY_LOCAL_MACHINE, "AtRoot", "r"), 0) << "roots stay usable";
  EXPECT_EQ(QueryData(registry, HKEY_LOCAL_MACHINE, "AtRoot"), "r");
}

// A save keeps what was edited by hand meanwhile, values of types the
// program never writes included, and the file's permissions.
TEST(FileRegistryTest, AFileEditedByHandCountsAtTheNextCall) {
  HiveFolder hives;
  Registry& registry = hives.registry();
  const HKEY key = hives.Create();
  WriteFile(hives.MachineFile(),
            "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n"
            "\"StartPath\"=\"/home/ann/Music/\"\n\"Kept\"=hex(2):41,00\n");
  EXPECT_EQ(QueryData(registry, key, "StartPath"), "/home/ann/Music/");
  ASSERT_EQ(chmod(hives.MachineFile().c_str(), 0640), 0);
  ASSERT_EQ(SetData(registry, key, "chkDontDo", "checked"), 0);
  EXPECT_NE(ReadFile(hives.MachineFile()).find("\"Kept\"=hex(2):41,00\n"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(hives.MachineFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  WriteFile(hives.MachineFile(), "REGEDIT4\n");
  std::int32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "StartPath", type, nullptr, size), ERROR_FILE_NOT_FOUND)
      << "the key was removed by hand";
  ASSERT_EQ(SetData(registry, key, "StartPath", "/new/"), 0) << "setting a value brings it back";
  EXPECT_EQ(QueryData(registry, key, "StartPath"), "/new/");
}

TEST(FileRegistryTest, AnUnparseableFileIsReadAsBrokenAndSetAsideByTheNextChange) {
  HiveFolder hives;
  WriteFile(hives.MachineFile(), "not a hive\n");
  HKEY key = 5;
  EXPECT_EQ(hives.registry().OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_BADDB);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(ReadFile(hives.MachineFile()), "not a hive\n") << "reading changes nothing";

  ASSERT_EQ(SetData(hives.registry(), hives.Create(), "v", "1"), 0);
  WriteFile(hives.MachineFile(), "broken again\n");
  hives.Create();

  std::vector<std::string> contents_aside;
  for (const auto& name : hives.Names()) {
    if (name.starts_with("HKEY_LOCAL_MACHINE.reg.corrupt-")) {
      contents_aside.push_back(ReadFile(hives.folder() + "/" + name));
    }
  }
  EXPECT_EQ(contents_aside, (std::vector<std::string>{"not a hive\n", "broken again\n"}))
      << "each bad file is kept under its own name";
  EXPECT_TRUE(ParseHive("HKEY_LOCAL_MACHINE", ReadFile(hives.MachineFile())).ok());
}

TEST(FileRegistryFolderTest, AFolderThatCannotBeMadeFailsEveryChangeQuietly) {
  testing::TempFolder temp;
  WriteFile(temp / "plain-file", "x");
  for (const std::string& folder : {temp / "plain-file/hives", std::string()}) {
    FileRegistry registry(folder);
    HKEY key = 3;
    EXPECT_NE(registry.CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), 0) << folder;
    EXPECT_EQ(key, 0u) << folder;
    EXPECT_NE(SetData(registry, HKEY_LOCAL_MACHINE, "v", "1"), 0) << folder;
    EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_FILE_NOT_FOUND)
        << folder;
  }
}

TEST(FileRegistryFolderTest, SomethingElseInThePlaceOfTheFileIsLeftAlone) {
  const std::pair<std::string, void (*)(const std::string&)> cases[] = {
      {"folder", [](const std::string& path) { testing::MakeFolders(path + "/inside"); }},
      {"FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
  };
  for (const auto& [name, make] : cases) {
    HiveFolder hives;
    testing::MakeFolders(hives.folder());
    make(hives.MachineFile());
    HKEY key = 3;
    EXPECT_EQ(hives.registry().OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_CANTREAD)
        << name;
    EXPECT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_CANTREAD)
        << name;
    struct stat info {};
    ASSERT_EQ(lstat(hives.MachineFile().c_str(), &info), 0) << name;
    EXPECT_FALSE(S_ISREG(info.st_mode)) << name << " is still there";
  }
}

TEST(FileRegistryFolderTest, AFolderThatRefusesChangesRefusesSavesButStillReads) {
  HiveFolder hives;
  const HKEY key = hives.Create();
  ASSERT_EQ(SetData(hives.registry(), key, "v", "kept"), 0);
  if (!testing::RefuseChanges(hives.folder())) GTEST_SKIP() << "the folder cannot refuse changes";
  const ScopeExit allow_changes([&] { testing::AllowChanges(hives.folder()); });
  EXPECT_EQ(SetData(hives.registry(), key, "v", "changed"), ERROR_ACCESS_DENIED);
  HKEY other = 0;
  EXPECT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, "Other", other), ERROR_ACCESS_DENIED);
  EXPECT_EQ(QueryData(hives.registry(), key, "v"), "kept");
}

// Several processes and a crashing one on the same hive folder.

// The settings key of a fresh FileRegistry on `folder`, then `rounds`
// changes of the value `name`, each a whole save. 0 when all succeeded.
int SaveRepeatedly(const std::string& folder, const std::string& name, int rounds) {
  FileRegistry registry(folder);
  for (int round = 0; round < rounds; ++round) {
    HKEY key = 0;
    if (registry.CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key) != 0 ||
        SetData(registry, key, name, "round " + std::to_string(round)) != 0) {
      return 1;
    }
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
  const HKEY key = hives.Create();
  for (int i = 0; i < kProcesses; ++i) {
    EXPECT_EQ(QueryData(hives.registry(), key, "Value" + std::to_string(i)),
              "round " + std::to_string(kRounds - 1))
        << "Value" << i;
  }
}

TEST(FileRegistryProcessTest, ACrashWhileSavingLeavesTheOldFileWholeAndTheNextSaveTidiesUp) {
  HiveFolder hives;
  const HKEY key = hives.Create();
  ASSERT_EQ(SetData(hives.registry(), key, "StartPath", "/old/"), 0);
  const std::string before = ReadFile(hives.MachineFile());

  // The child may write files of at most 4 KiB: the kernel kills it with
  // SIGXFSZ in the middle of writing the much larger new content.
  const int status = WaitFor(StartChild([&] {
    const rlimit no_core{0, 0}, small_files{4096, 4096};
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
  const std::vector<std::string> kept = {"HKEY_LOCAL_MACHINE.reg", "HKEY_LOCAL_MACHINE.reg.lock"};
  const std::vector<std::string> names = hives.Names();
  EXPECT_TRUE(names.size() == 3 && names[0].starts_with(".HKEY_LOCAL_MACHINE.reg.saving-") &&
              std::equal(kept.begin(), kept.end(), names.begin() + 1))
      << "only the unfinished save is added: " << ::testing::PrintToString(names);

  ASSERT_EQ(SetData(hives.registry(), key, "chkDontDo", "checked"), 0);
  EXPECT_EQ(hives.Names(), kept) << "the next save removes it";
  EXPECT_EQ(QueryData(hives.registry(), key, "StartPath"), "/old/");
}

TEST(DefaultHiveFolderTest, UsesTheConfigurationFolderOfTheUser) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {"/cfg", "/cfg/quillfold"},
      {std::nullopt, "/home/ann/.config/quillfold"},
      {"", "/home/ann/.config/quillfold"},
      {"relative/cfg", "/home/ann/.config/quillfold"},
  };
  const testing::ScopedVariable home("HOME", "/home/ann");
  const testing::ScopedVariable config_home("XDG_CONFIG_HOME", std::nullopt);
  for (const auto& [value, expected] : cases) {
    config_home.Set(value);
    EXPECT_EQ(DefaultHiveFolder(), expected) << value.value_or("(unset)");
  }
}

}  // namespace
}  // namespace quillfold
