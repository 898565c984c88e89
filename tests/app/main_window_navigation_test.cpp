#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidgetItemIterator>
#include <filesystem>

#include "app/folder_list.h"
#include "tests/app/gui_test_support.h"

namespace quillfold::testing {
namespace {

// root/work/ holds Alpha/inner/, beta/, .hidden/ and a file; the window
// starts in work/.
class MainWindowNavigationTest : public WindowTest {
 protected:
  MainWindowNavigationTest() {
    MakeFolders(work() + "/Alpha/inner");
    MakeFolders(work() + "/beta");
    MakeFolders(work() + "/.hidden");
    WriteFile(work() + "/song.mp3", "x");
  }

  static void Click(MainWindow& window, const std::string& path, bool twice = false) {
    FolderList* list = Find<FolderList>(window, "Dir1");
    QTreeWidgetItem* entry = EntryFor(window, path);
    ASSERT_NE(entry, nullptr) << path;
    const QPoint point = list->visualItemRect(entry).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
  }

  static std::string Shown(const MainWindow& window) {
    return Find<FolderList>(window, "Dir1")->path();
  }
  // The folder shown and the path chosen.
  static std::pair<std::string, std::string> Place(const MainWindow& window) {
    return {Shown(window), LabelText(window)};
  }
};

// The chain from "/" down to work/, then work/'s visible subfolders.
TEST_F(MainWindowNavigationTest, ListShowsTheChainThenVisibleSubfolders) {
  auto window = OpenWindow();
  std::vector<std::string> expected = {"/"};
  std::string chain;
  for (const auto& part : std::filesystem::path(work()).relative_path()) {
    chain += '/';
    chain += part.string();
    expected.push_back(chain);
  }
  expected.push_back(work() + "/Alpha");
  expected.push_back(work() + "/beta");
  std::vector<std::string> paths;
  for (QTreeWidgetItemIterator it(Find<FolderList>(*window, "Dir1")); *it != nullptr; ++it) {
    paths.push_back((*it)->data(0, Qt::UserRole).toByteArray().toStdString());
  }
  EXPECT_EQ(paths, expected);
}

// A click only chooses (lblPath takes the entry, the list stays put); a
// double click, Return or Enter opens the entry; moving the highlight is a
// click. A folder that cannot be listed stays closed.
TEST_F(MainWindowNavigationTest, ClickChoosesAndDoubleClickOrEnterOpens) {
  auto window = OpenWindow();
  FolderList* list = Find<FolderList>(*window, "Dir1");
  const std::string parent = NormalFolderPath(root_.path());
  Click(*window, parent);
  EXPECT_EQ(Place(*window), std::pair(work(), parent + "/"));
  file_system_.FailListingOf(work() + "/beta");
  Click(*window, work() + "/beta", /*twice=*/true);
  EXPECT_EQ(Shown(*window), work()) << "beta cannot be listed";
  Click(*window, work() + "/Alpha", /*twice=*/true);
  EXPECT_EQ(Place(*window), std::pair(work() + "/Alpha", work() + "/Alpha/"));
  EXPECT_NE(EntryFor(*window, work() + "/Alpha/inner"), nullptr);
  EXPECT_EQ(EntryFor(*window, work() + "/beta"), nullptr);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(LabelText(*window), work() + "/") << "moving the highlight is a click";
  QTest::keyClick(list, Qt::Key_Enter);
  EXPECT_EQ(Shown(*window), work());
  Click(*window, work() + "/Alpha");
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(Shown(*window), work() + "/Alpha");
}

// Tab completes the typed path as far as the offered folders agree (the one
// folder left whole), and Enter chooses it; the list follows.
TEST_F(MainWindowNavigationTest, TabCompletesTheTypedPathAndEnterChoosesIt) {
  MakeFolders(work() + "/Alpha/inward");
  auto window = OpenWindow();
  auto* path = Find<QLineEdit>(*window, "lblPath");
  path->setText(QString::fromStdString(work() + "/Alpha/i"));
  std::vector<std::string> typed;
  for (const char* more : {"", "w"}) {
    QTest::keyClicks(path, more);
    QTest::keyClick(path, Qt::Key_Tab);
    typed.push_back(path->text().toStdString());
  }
  EXPECT_EQ(typed, (std::vector<std::string>{work() + "/Alpha/in", work() + "/Alpha/inward/"}));
  QTest::keyClick(path, Qt::Key_Return);
  EXPECT_EQ(Shown(*window), work() + "/Alpha/inward");
}

// Picking a volume whose root cannot be listed shows one "Device Not Ready"
// and returns to the volume of the folder still shown. Each other volume
// keeps the folder last shown on it, like a drive letter.
TEST_F(MainWindowNavigationTest, VolumesRememberTheirFoldersAndUnreadableOnesAreRefused) {
  MakeFolders(root_ / "stick/albums");
  volumes_.push_back({root_ / "stick", ""});
  volumes_.push_back({root_ / "missing", "EMPTY"});
  auto window = OpenWindow();
  auto* drives = Find<QComboBox>(*window, "Drive1");
  drives->setCurrentIndex(1);
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"Device Not Ready"});
  EXPECT_EQ(drives->currentIndex(), 0);
  EXPECT_EQ(Place(*window), std::pair(work(), work() + "/"));
  drives->setCurrentIndex(2);
  EXPECT_EQ(LabelText(*window), root_ / "stick/");
  Click(*window, root_ / "stick/albums", /*twice=*/true);
  drives->setCurrentIndex(0);
  EXPECT_EQ(Shown(*window), work());
  drives->setCurrentIndex(2);
  EXPECT_EQ(Shown(*window), root_ / "stick/albums");
}

// Loading writes nothing; Quit writes StartPath (lblPath), the six options
// in tab order and then chkID3v2, then the window's place, and closes the
// window. The next start puts the window back there.
TEST_F(MainWindowNavigationTest, QuitSavesTheSettingsInOrder) {
  auto window = OpenWindow();
  ASSERT_TRUE(StoredNames().empty()) << "loading writes nothing";
  Click(*window, work() + "/Alpha");
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  Find<QCheckBox>(*window, "chkDelDirs")->setChecked(true);
  window->setGeometry(window->geometry().translated(7, 5).adjusted(0, 0, 30, 20));
  const QRect place = window->geometry();
  Find<QCheckBox>(*window, "chkID3v2")->setChecked(true);
  Find<QAction>(*window, "mnuQuit")->trigger();
  EXPECT_FALSE(window->isVisible());
  ASSERT_EQ(StoredNames(), (std::vector<std::string>{"StartPath", "chkDontDo", "chkTrackName",
                                                     "chkIgnoreNoTrack", "chkNoAlbum", "chkDelDirs",
                                                     "chkUpdateM3U", "chkID3v2", "frmMainPlace"}));
  EXPECT_EQ(OpenWindow()->geometry(), place);
  std::vector<std::string> stored;
  for (const std::string& name : StoredNames()) stored.push_back(StoredSetting(name));
  stored.pop_back();  // the place, checked above
  EXPECT_EQ(stored, (std::vector<std::string>{work() + "/Alpha/", "unchecked", "checked", "checked",
                                              "checked", "checked", "checked", "checked"}));
}

}  // namespace
}  // namespace quillfold::testing
