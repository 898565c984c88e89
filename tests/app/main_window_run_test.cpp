#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <filesystem>

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
  EXPECT_EQ(std::tuple(window->report_window()->isVisible(), dialogs_.questions.size(),
                       ReadFile(work() + "/music/two.mp3")),
            std::tuple(true, 0u, std::string(300, 'b')));
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
  auto window = OpenForRealRun();
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
  EXPECT_EQ(std::tuple(progress->text(), EnabledControls(*window).size(),
                       Find<QPushButton>(*window, "cmdGo")->text()),
            std::tuple(QString(), 6u, QStringLiteral("Go!")));
}

// Failures that the disk or another run causes (a refused move, a held
// base) are a plain message with the number and text, the clipboard left
// alone; a fault of the program itself goes to the error reporter. The
// report so far stays and the window is usable again.
TEST_F(MainWindowRunTest, ExpectedFailuresAreMessagesAndFaultsGoToTheReporter) {
  const auto fault = [&](std::function<void()> thrower) {
    return [&, thrower] {
      file_system_.before_rename = [thrower](const std::string&, const std::string&) { thrower(); };
      return std::unique_ptr<FolderHold>();
    };
  };
  const std::string reporter = "An error has occurred in OrganizeRun:\r\n\r\n";
  const struct {
    const char* name;
    std::function<std::unique_ptr<FolderHold>()> set_up;
    std::string shown_start;  // of the plain message, or of the reporter's text
    bool plain;
  } cases[] = {
      {"refused move", [&] { return file_system_.FailRenameNumber(1), nullptr; },
       "Error 70: Permission denied (moving ", true},
      {"held base", [&] { return file_system_.HoldForRun(work()); },
       "Error 70: Permission denied (another run is changing " + work(), true},
      {"out of range", fault([] { throw std::out_of_range("index"); }), reporter + "9: ", false},
      {"unknown exception", fault([] { throw std::logic_error("bug"); }), reporter + "51: ", false},
      {"no exception class", fault([] { throw 42; }), reporter + "51: ", false},
  };
  for (const auto& c : cases) {
    RecordingErrorHost error_host;
    dialogs_.messages.clear();
    const std::unique_ptr<FolderHold> hold = c.set_up();
    auto window = OpenForRealRun();
    PressGo(*window);
    file_system_.before_rename = nullptr;
    const std::vector<std::string> shown = c.plain ? dialogs_.messages : error_host.shown;
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_TRUE(shown[0].starts_with(c.shown_start)) << shown[0];
    if (c.plain) {
      EXPECT_EQ(error_host.calls, std::vector<std::string>{}) << c.name;
    }
    EXPECT_TRUE(Find<QPushButton>(*window, "cmdGo")->isEnabled()) << c.name;
  }
}

// What a real run passed over is named after the report's own lines: a file
// whose tag cannot be read, a playlist that is no text, a mounted folder.
TEST_F(MainWindowRunTest, WhatTheRunPassedOverIsNamedAfterTheReport) {
  const std::string music = work() + "/music/";
  file_system_.FailTailReadOf(music + "two.mp3", EIO);
  WriteFile(music + "bad.m3u", std::string("a\0b", 3));
  WriteFile(music + "stick/three.mp3", "");
  file_system_.AddMountPoint(music + "stick");
  auto window = OpenForRealRun();
  PressGo(*window);
  const std::string report = ReportText(*window);
  for (const std::string& section :
       {"\n\nThe Tags of These Files Could Not Be Read (Filed as Files Without a Tag):\n   " +
            music + "two.mp3 (",
        "\n\nThese Playlists Were Left Untouched:\n   " + music + "bad.m3u (",
        "\n\nThese Folders Hold Another Mounted Volume and Were Not Entered:\n   " + music +
            "stick"}) {
    EXPECT_NE(report.find(section), std::string::npos) << section << "\nin\n" << report;
  }
}

TEST_F(MainWindowRunTest, NoFilesGivesTheMessageAndNoReport) {
  StoreSetting("StartPath", work() + "/music/loose/");
  std::filesystem::remove(work() + "/music/loose/one.mp3");
  auto window = OpenWindow();
  PressGo(*window);
  EXPECT_EQ(dialogs_.messages,
            std::vector<std::string>{"No MP3 files found under " + work() + "/music/loose/"});
  ASSERT_NE(window->report_window(), nullptr);
  EXPECT_FALSE(window->report_window()->isVisible());
}

}  // namespace
}  // namespace quillfold::testing
