#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
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
// line breaks; a report-only run asks nothing and changes nothing. Enter on
// a focused "Go!" starts it.
TEST_F(MainWindowRunTest, ReportOnlyRunFillsTheReportWindow) {
  RecordingHost collector;
  collector.chosen_path = work() + "/music/";
  Organizer(file_system_, collector).OrganizeRun();
  ASSERT_NE(collector.report.find("Scanning Directory " + work() + "/music/:"), std::string::npos)
      << collector.report;

  auto window = OpenWindow();
  QTest::keyClick(Find<QPushButton>(*window, "cmdGo"), Qt::Key_Return);
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

// While a run is active the controls and menus are locked but for "Go!",
// which is the Stop button, and the status bar shows which file is placed.
TEST_F(MainWindowRunTest, ControlsAreDisabledOnlyWhileARunIsActive) {
  auto window = OpenWindow();
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  auto* progress = Find<QLabel>(*window, "progress");
  std::vector<std::string> enabled_during_run;
  std::vector<QString> progress_during_run;
  file_system_.before_rename = [&](const std::string&, const std::string&) {
    progress_during_run.push_back(progress->text());
    for (const auto& name : EnabledControls(*window)) enabled_during_run.push_back(name);
    enabled_during_run.push_back(Find<QPushButton>(*window, "cmdGo")->text().toStdString());
  };
  PressGo(*window);
  ASSERT_EQ(file_system_.calls().renames, 2);
  EXPECT_EQ(enabled_during_run, (std::vector<std::string>{"cmdGo", "Stop", "cmdGo", "Stop"}));
  EXPECT_EQ(progress_during_run,
            (std::vector<QString>{QStringLiteral("File 1 of 2"), QStringLiteral("File 2 of 2")}));
  EXPECT_TRUE(progress->text().isEmpty());
  EXPECT_EQ(EnabledControls(*window).size(), 6u);
  EXPECT_EQ(Find<QPushButton>(*window, "cmdGo")->text(), QStringLiteral("Go!"));
}

// Failures that the disk or another run causes (a refused move, a held
// base) are a plain message with the number and text, the clipboard left
// alone; a fault of the program itself goes to the error reporter. The
// report so far stays and the window is usable again.
TEST_F(MainWindowRunTest, ExpectedFailuresAreMessagesAndFaultsGoToTheReporter) {
  const auto held = [&] { return file_system_.HoldForRun(work()); };
  const struct {
    const char* name;
    std::function<std::unique_ptr<FolderHold>()> set_up;
    std::string message_start;  // "" when the reporter shows it
  } cases[] = {
      {"refused move",
       [&] {
         file_system_.FailRenameNumber(1);
         return nullptr;
       },
       "Error 70: Permission denied (moving "},
      {"held base", held, "Error 70: Permission denied (another run is changing " + work()},
      {"program fault",
       [&] {
         file_system_.before_rename = [](const std::string&, const std::string&) {
           throw std::out_of_range("index");
         };
         return nullptr;
       },
       ""},
  };
  for (const auto& c : cases) {
    RecordingErrorHost error_host;
    dialogs_.messages.clear();
    const auto hold = c.set_up();
    auto window = OpenWindow();
    Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
    PressGo(*window);
    file_system_.before_rename = nullptr;
    if (c.message_start.empty()) {
      ASSERT_EQ(error_host.shown.size(), 1u) << c.name;
      EXPECT_EQ(error_host.shown[0].rfind("An error has occurred in OrganizeRun:\r\n\r\n9: ", 0),
                0u)
          << error_host.shown[0];
    } else {
      EXPECT_EQ(error_host.calls, std::vector<std::string>{}) << c.name;
      ASSERT_EQ(dialogs_.messages.size(), 1u) << c.name;
      EXPECT_EQ(dialogs_.messages[0].text.rfind(c.message_start, 0), 0u)
          << dialogs_.messages[0].text;
    }
    EXPECT_TRUE(Find<QPushButton>(*window, "cmdGo")->isEnabled()) << c.name;
  }
}

// A file whose tag cannot be read is named after the report's own lines.
TEST_F(MainWindowRunTest, UnreadableTagsAreNamedAfterTheReport) {
  file_system_.FailTailReadOf(work() + "/music/two.mp3", EIO);
  auto window = OpenWindow();
  PressGo(*window);
  const std::string report = ReportText(*window);
  const std::string section =
      "\n\nThe Tags of These Files Could Not Be Read (Filed as Files Without a Tag):\n   " +
      work() + "/music/two.mp3 (";
  EXPECT_NE(report.find(section), std::string::npos) << report;
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
