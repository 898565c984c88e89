#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>

#include "app/folder_list.h"
#include "app/option_boxes.h"
#include "tests/app/gui_test_support.h"

namespace quillfold::testing {
namespace {

using MainWindowLoadTest = WindowTest;

std::vector<int> BoxStates(const MainWindow& window) {
  std::vector<int> states;
  for (const OptionBox& box : kOptionBoxes) {
    states.push_back(
        Find<QCheckBox>(window, std::string(box.option->name).c_str())->isChecked() ? 1 : 0);
  }
  return states;
}

// The drive shown, the folder shown, lblPath and the chosen path.
std::tuple<std::string, std::string, std::string, std::string> Place(const MainWindow& window) {
  return {Find<QComboBox>(window, "Drive1")->currentText().toStdString(),
          Find<FolderList>(window, "Dir1")->path(), LabelText(window), window.chosen_path()};
}

const std::vector<int> kDesignStates = {1, 1, 1, 1, 0, 1};

// With an empty hive the boxes keep their design-time states and both lists
// show the process's current folder, which lblPath names with a "/". The
// caption carries the version.
TEST_F(MainWindowLoadTest, FirstStartShowsTheCurrentFolder) {
  auto window = OpenWindow();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillfold (Version 1.0.33)"));
  EXPECT_EQ(BoxStates(*window), kDesignStates);
  EXPECT_EQ(Place(*window), std::tuple("/", work(), work() + "/", work() + "/"));
}

// Every box reads its own setting (the texts themselves are tested with
// StoredOptionState).
TEST_F(MainWindowLoadTest, StoredOptionTextsSetTheBoxes) {
  const std::vector<std::string> texts = {"u", "Checked", "unchecked", "", "c", "U"};
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i)
    StoreSetting(kOptionBoxes[i].option->name, texts[i]);
  auto window = OpenWindow();
  EXPECT_EQ(BoxStates(*window), (std::vector<int>{0, 1, 0, 1, 1, 0}));
}

// A stored start path moves both lists there; one that is missing, names a
// file, is not absolute or is two characters or fewer leaves them in the
// current folder. lblPath follows the folder list either way.
TEST_F(MainWindowLoadTest, StoredStartPathIsAppliedOnlyWhenUsable) {
  MakeFolders(root_ / "music/rock");
  WriteFile(root_ / "notes.txt", "x");
  const struct {
    std::string stored;
    std::string expected_folder;
  } cases[] = {
      {root_ / "music/rock", root_ / "music/rock"},
      {root_ / "music/rock/", root_ / "music/rock"},
      {root_ / "music//rock", root_ / "music/rock"},
      {root_ / "gone", work()},
      {root_ / "notes.txt", work()},
      {"music", work()},
      {"", work()},
      {"/", work()},
  };
  for (const auto& c : cases) {
    StoreSetting("StartPath", c.stored);
    auto window = OpenWindow();
    EXPECT_EQ(Place(*window),
              std::tuple("/", c.expected_folder, c.expected_folder + "/", c.expected_folder + "/"))
        << "stored \"" << c.stored << "\"";
  }
}

// A start path on another volume first switches the drive list to it.
TEST_F(MainWindowLoadTest, StartPathOnAnotherVolumeSwitchesTheDrive) {
  MakeFolders(root_ / "stick/albums");
  volumes_.push_back({root_ / "stick", "STICK"});
  StoreSetting("StartPath", root_ / "stick/albums/");
  auto window = OpenWindow();
  EXPECT_EQ(Place(*window), std::tuple(root_ / "stick  [STICK]", root_ / "stick/albums",
                                       root_ / "stick/albums/", root_ / "stick/albums/"));
  EXPECT_TRUE(dialogs_.messages.empty());
}

}  // namespace
}  // namespace quillfold::testing
