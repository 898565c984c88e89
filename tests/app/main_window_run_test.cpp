#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "app/folder_list.h"
#include "app/report_window.h"
#include "errors/run_error.h"
#include "organize/organizer.h"
#include "tests/app/gui_test_support.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"

namespace quillfold::testing {
namespace {

// work/ holds the base music/ with one tagged and one untagged track.
class MainWindowRunTest : public WindowTest {
 protected:
  MainWindowRunTest() {
    WriteFile(work() + "/music/loose/one.mp3", TaggedMp3({"Opening", "Some Band", "First", 5}));
    WriteFile(work() + "/music/two.mp3", std::string(300, 'b'));
    StoreSetting("StartPath", work() + "/music/");
  }

  static std::string ReportText(const MainWindow& window) {
    EXPECT_NE(window.report_window(), nullptr);
    if (window.report_window() == nullptr) return {};
    return window.report_window()->txtResults()->toPlainText().toStdString();
  }

  static void PressGo(MainWindow& window) { Find<QPushButton>(window, "cmdGo")->click(); }
};

// The report window holds exactly what the engine reported, CR LF shown as
// line breaks; a report-only run asks nothing and changes nothing.
TEST_F(MainWindowRunTest, ReportOnlyRunFillsTheReportWindow) {
  RecordingHost collector;
  collector.chosen_path = work() + "/music/";
  Organizer(file_system_, collector).OrganizeRun();
  ASSERT_NE(collector.report.find("Scanning Directory " + work() + "/music/:"), std::string::npos)
      << collector.report;

  auto window = OpenWindow();
  PressGo(*window);
  EXPECT_EQ(QString::fromStdString(ReportText(*window)),
            QString::fromStdString(collector.report)
                .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  EXPECT_TRUE(window->report_window()->isVisible());
  EXPECT_TRUE(dialogs_.questions.empty());
  EXPECT_EQ(ReadFile(work() + "/music/two.mp3"), std::string(300, 'b'));
}

// A real run asks first; Yes moves the files.
TEST_F(MainWindowRunTest, RealRunAsksAndMovesFiles) {
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  PressGo(*window);
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].text, "Convert Every mp3 File Under " + work() + "/music/?");
  EXPECT_EQ(dialogs_.questions[0].caption, "Are You Sure?");
  EXPECT_FALSE(std::filesystem::exists(work() + "/music/loose/one.mp3"));
  EXPECT_NE(ReportText(*window).find("Processing Directory " + work() + "/music/:"),
            std::string::npos);
}

// The controls and menus that are enabled.
std::vector<std::string> EnabledControls(const MainWindow& window) {
  std::vector<std::string> enabled;
  for (const char* name : {"cmdGo", "Drive1", "Dir1", "frmOptions"}) {
    if (Find<QWidget>(window, name)->isEnabled()) enabled.push_back(name);
  }
  for (const char* name : {"mnuFile", "mnuHelp"}) {
    if (Find<QMenu>(window, name)->menuAction()->isEnabled()) enabled.push_back(name);
  }
  return enabled;
}

// While a run is active the controls and menus are locked and the status bar
// shows which file is being placed.
TEST_F(MainWindowRunTest, ControlsAreDisabledOnlyWhileARunIsActive) {
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  auto* progress = Find<QLabel>(*window, "progress");
  std::vector<std::string> enabled_during_run;
  std::vector<QString> progress_during_run;
  file_system_.before_rename = [&](const std::string&, const std::string&) {
    progress_during_run.push_back(progress->text());
    for (const auto& name : EnabledControls(*window)) enabled_during_run.push_back(name);
  };
  PressGo(*window);
  ASSERT_EQ(file_system_.calls().renames, 2);
  EXPECT_EQ(enabled_during_run, std::vector<std::string>{});
  EXPECT_EQ(progress_during_run,
            (std::vector<QString>{QStringLiteral("File 1 of 2"), QStringLiteral("File 2 of 2")}));
  EXPECT_TRUE(progress->text().isEmpty());
  EXPECT_EQ(EnabledControls(*window).size(), 6u);
}

// A run that fails is reported through ReportError under "OrganizeRun"; the
// report so far stays and the window is usable again.
TEST_F(MainWindowRunTest, FailureIsReportedAndTheWindowRecovers) {
  RecordingErrorHost error_host;
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  file_system_.FailRenameNumber(1);
  PressGo(*window);
  ASSERT_EQ(error_host.shown.size(), 1u);
  EXPECT_EQ(error_host.shown[0].rfind("An error has occurred in OrganizeRun:\r\n\r\n70: ", 0), 0u)
      << error_host.shown[0];
  EXPECT_EQ(error_host.clipboard, error_host.shown[0]);
  EXPECT_NE(ReportText(*window).find("Processing Directory "), std::string::npos);
  EXPECT_TRUE(Find<QPushButton>(*window, "cmdGo")->isEnabled());
}

// Another run holding the base (here, one above it) is named in the error
// box before the question, and nothing moves.
TEST_F(MainWindowRunTest, AHeldBaseIsReportedBeforeTheQuestion) {
  RecordingErrorHost error_host;
  const auto held = file_system_.HoldForRun(work());
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  PressGo(*window);
  ASSERT_EQ(error_host.shown.size(), 1u);
  EXPECT_NE(error_host.shown[0].find("70: Permission denied (another run is changing " + work() +
                                     "/music/ or a folder inside or above it"),
            std::string::npos)
      << error_host.shown[0];
  EXPECT_TRUE(dialogs_.questions.empty());
  EXPECT_TRUE(std::filesystem::exists(work() + "/music/loose/one.mp3"));
}

// Closing the window during a run waits for the run, then unloads as usual.
TEST_F(MainWindowRunTest, CloseDuringARunWaitsForItsEnd) {
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  bool closed_during_run = false;
  file_system_.before_rename = [&](const std::string&, const std::string&) {
    window->close();
    closed_during_run |= !window->isVisible();
  };
  PressGo(*window);
  EXPECT_FALSE(closed_during_run);
  EXPECT_EQ(file_system_.calls().renames, 2) << "the run went on to its end";
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->report_window(), nullptr);
  EXPECT_EQ(StoredSetting("StartPath"), work() + "/music/");
}

TEST_F(MainWindowRunTest, NoFilesGivesTheMessageAndNoReport) {
  StoreSetting("StartPath", work() + "/music/loose/");
  std::filesystem::remove(work() + "/music/loose/one.mp3");
  auto window = OpenWindow();
  PressGo(*window);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "No MP3 files found under " + work() + "/music/loose/");
  EXPECT_EQ(dialogs_.messages[0].caption, "Quillfold");
  ASSERT_NE(window->report_window(), nullptr);
  EXPECT_FALSE(window->report_window()->isVisible());
}

}  // namespace
}  // namespace quillfold::testing
