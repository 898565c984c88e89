#include "settings/file_registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/hive_format.h"
#include "settings/settings_key.h"
#include "tests/support/hive_folder.h"

namespace quillfold {
namespace {

using testing::HiveFolder;
using testing::QueryData;
using testing::ReadFile;
using testing::SetData;
using testing::WriteFile;

constexpr std::string_view kHeader = "REGEDIT4\n";

class FileRegistryTest : public ::testing::Test {
 protected:
  Registry& registry() { return hives_.registry(); }
  HKEY Create(std::string_view path) {
    HKEY key = 0;
    EXPECT_EQ(registry().CreateKey(HKEY_LOCAL_MACHINE, path, key), 0) << path;
    return key;
  }

  HiveFolder hives_;
};

// CreateKey saves every missing level at once; OpenKey then finds the key
// in any letter case, also below an open key, but not by a prefix of its
// name nor under another root.
TEST_F(FileRegistryTest, CreateKeyMakesEveryLevelThatOpenKeyThenFinds) {
  EXPECT_NE(Create(kSettingsKeyPath), 0u);
  EXPECT_EQ(ReadFile(hives_.MachineFile()),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater]\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n");
  HKEY parent = 0;
  HKEY child = 0;
  HKEY any_case = 0;
  EXPECT_EQ(registry().OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brackwater", parent), 0);
  EXPECT_EQ(registry().OpenKey(parent, "Quillfold", child), 0);
  EXPECT_EQ(registry().OpenKey(HKEY_LOCAL_MACHINE, "software\\BRACKWATER\\quillfold", any_case), 0);
  EXPECT_EQ(SetData(registry(), child, "v", "1"), 0);
  EXPECT_EQ(QueryData(registry(), any_case, "V"), "1") << "both handles name one key";
  for (const auto& [root, path] : {std::pair{HKEY_LOCAL_MACHINE, "SOFTWARE\\Brack"},
                                   std::pair{HKEY_CURRENT_USER, kSettingsKeyPath.data()}}) {
    HKEY missing = 99;
    EXPECT_EQ(registry().OpenKey(root, path, missing), ERROR_FILE_NOT_FOUND) << path;
    EXPECT_EQ(missing, 0u) << path;
  }
}

TEST_F(FileRegistryTest, BadRootsHandlesAndPathsOpenNothingAndCreateNothing) {
  const struct {
    HKEY root;
    std::string path;
    std::int32_t expected;
  } cases[] = {
      {0, "A", ERROR_INVALID_HANDLE},
      {0x80000003u, "A", ERROR_INVALID_HANDLE},
      {12345, "A", ERROR_INVALID_HANDLE},
      {HKEY_LOCAL_MACHINE, "\\A", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\\", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\\\\B", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\nB", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "A\x7F", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, std::string("A\0B", 3), ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    HKEY key = 77;
    EXPECT_EQ(registry().CreateKey(c.root, c.path, key), c.expected) << c.root << " " << c.path;
    EXPECT_EQ(key, 0u) << c.root << " " << c.path;
    key = 77;
    EXPECT_EQ(registry().OpenKey(c.root, c.path, key), c.expected) << c.root << " " << c.path;
    EXPECT_EQ(key, 0u) << c.root << " " << c.path;
  }
  EXPECT_TRUE(hives_.Names().empty());
}

TEST_F(FileRegistryTest, OnlyLiveHandlesWorkAndClosingAnythingIsHarmless) {
  const HKEY key = Create(kSettingsKeyPath);
  HKEY closed = Create("Other");
  ASSERT_EQ(registry().CloseKey(closed), 0);
  for (const HKEY bad : {HKEY{0}, closed, HKEY{4242}}) {
    std::int32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry().QueryValue(bad, "v", type, nullptr, size), ERROR_INVALID_HANDLE) << bad;
    EXPECT_EQ(SetData(registry(), bad, "v", "x"), ERROR_INVALID_HANDLE) << bad;
    EXPECT_EQ(registry().CloseKey(bad), ERROR_INVALID_HANDLE) << bad;
  }
  EXPECT_EQ(registry().CloseKey(HKEY_LOCAL_MACHINE), 0);
  EXPECT_EQ(SetData(registry(), HKEY_LOCAL_MACHINE, "AtRoot", "r"), 0) << "roots stay usable";
  EXPECT_EQ(QueryData(registry(), HKEY_LOCAL_MACHINE, "AtRoot"), "r");
  EXPECT_EQ(registry().CloseKey(key), 0);
}

TEST_F(FileRegistryTest, AFileEditedByHandCountsAtTheNextCall) {
  const HKEY key = Create(kSettingsKeyPath);
  WriteFile(hives_.MachineFile(),
            std::string(kHeader) +
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brackwater\\Quillfold]\n"
                "\"StartPath\"=\"/home/ann/Music/\"\n\"Kept\"=hex(2):41,00\n");
  EXPECT_EQ(QueryData(registry(), key, "StartPath"), "/home/ann/Music/");
  ASSERT_EQ(SetData(registry(), key, "chkDontDo", "checked"), 0);
  EXPECT_NE(ReadFile(hives_.MachineFile()).find("\"Kept\"=hex(2):41,00\n"), std::string::npos);

  WriteFile(hives_.MachineFile(), std::string(kHeader));
  std::int32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry().QueryValue(key, "StartPath", type, nullptr, size), ERROR_FILE_NOT_FOUND)
      << "the key was removed by hand";
  ASSERT_EQ(SetData(registry(), key, "StartPath", "/new/"), 0) << "setting a value brings it back";
  EXPECT_EQ(QueryData(registry(), key, "StartPath"), "/new/");
}

TEST_F(FileRegistryTest, AnUnparseableFileIsReadAsBrokenAndSetAsideByTheNextChange) {
  WriteFile(hives_.MachineFile(), "not a hive\n");
  HKEY key = 5;
  EXPECT_EQ(registry().OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_BADDB);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(ReadFile(hives_.MachineFile()), "not a hive\n") << "reading changes nothing";

  key = Create(kSettingsKeyPath);
  ASSERT_EQ(SetData(registry(), key, "v", "1"), 0);
  WriteFile(hives_.MachineFile(), "broken again\n");
  Create(kSettingsKeyPath);

  const std::vector<std::string> names = hives_.Names();
  std::vector<std::string> contents_aside;
  for (const auto& name : names) {
    if (name.starts_with("HKEY_LOCAL_MACHINE.reg.corrupt-")) {
      contents_aside.push_back(ReadFile(hives_.folder() + "/" + name));
    }
  }
  EXPECT_EQ(contents_aside, (std::vector<std::string>{"not a hive\n", "broken again\n"}))
      << "each bad file is kept under its own name";
  EXPECT_TRUE(ParseHive("HKEY_LOCAL_MACHINE", ReadFile(hives_.MachineFile())).ok());
}

TEST_F(FileRegistryTest, SavingKeepsTheFilesPermissions) {
  Create(kSettingsKeyPath);
  ASSERT_EQ(chmod(hives_.MachineFile().c_str(), 0640), 0);
  ASSERT_EQ(SetData(registry(), HKEY_LOCAL_MACHINE, "v", "1"), 0);
  struct stat info {};
  ASSERT_EQ(stat(hives_.MachineFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
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
  struct Case {
    std::string name;
    void (*make)(const std::string& path);
  };
  const Case cases[] = {
      {"folder", [](const std::string& path) { testing::MakeFolders(path + "/inside"); }},
      {"FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
  };
  for (const auto& c : cases) {
    HiveFolder hives;
    testing::MakeFolders(hives.folder());
    c.make(hives.MachineFile());
    HKEY key = 3;
    EXPECT_EQ(hives.registry().OpenKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_CANTREAD)
        << c.name;
    EXPECT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), ERROR_CANTREAD)
        << c.name;
    struct stat info {};
    ASSERT_EQ(lstat(hives.MachineFile().c_str(), &info), 0) << c.name;
    EXPECT_FALSE(S_ISREG(info.st_mode)) << c.name << " is still there";
  }
}

TEST(FileRegistryFolderTest, AFolderThatRefusesChangesRefusesSavesButStillReads) {
  HiveFolder hives;
  HKEY key = 0;
  ASSERT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, kSettingsKeyPath, key), 0);
  ASSERT_EQ(SetData(hives.registry(), key, "v", "kept"), 0);
  if (!testing::RefuseChanges(hives.folder())) GTEST_SKIP() << "the folder cannot refuse changes";
  struct Unlock {
    std::string folder;
    ~Unlock() { testing::AllowChanges(folder); }
  } unlock{hives.folder()};
  EXPECT_EQ(SetData(hives.registry(), key, "v", "changed"), ERROR_ACCESS_DENIED);
  HKEY other = 0;
  EXPECT_EQ(hives.registry().CreateKey(HKEY_LOCAL_MACHINE, "Other", other), ERROR_ACCESS_DENIED);
  EXPECT_EQ(QueryData(hives.registry(), key, "v"), "kept");
}

std::optional<std::string> Variable(const char* name) {
  const char* value = getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
  value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

TEST(DefaultHiveFolderTest, UsesTheConfigurationFolderOfTheUser) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {"/cfg", "/cfg/quillfold"},
      {std::nullopt, "/home/ann/.config/quillfold"},
      {"", "/home/ann/.config/quillfold"},
      {"relative/cfg", "/home/ann/.config/quillfold"},
  };
  const auto old_config = Variable("XDG_CONFIG_HOME");
  const auto old_home = Variable("HOME");
  setenv("HOME", "/home/ann", 1);
  for (const auto& [config_home, expected] : cases) {
    SetVariable("XDG_CONFIG_HOME", config_home);
    EXPECT_EQ(DefaultHiveFolder(), expected) << config_home.value_or("(unset)");
  }
  SetVariable("XDG_CONFIG_HOME", old_config);
  SetVariable("HOME", old_home);
}

}  // namespace
}  // namespace quillfold
