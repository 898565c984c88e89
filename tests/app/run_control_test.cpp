#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/report_window.h"
#include "organize/journal.h"
#include "platform/posix_file_system.h"
#include "tests/app/gui_test_support.h"
#include "tests/support/mp3_files.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold::testing {
namespace {

// work/music/ holds three tagged tracks and a playlist naming them all:
//   music/a.mp3  music/b.mp3  music/c.mp3  music/all.m3u
class RunControlTest : public WindowTest {
 protected:
  RunControlTest() {
    MakeLibrary();
    StoreSetting("StartPath", base());
  }

  void MakeLibrary() {
    std::filesystem::remove_all(base());
    std::string playlist;
    for (const char* name : {"a", "b", "c"}) {
      WriteFile(base() + name + ".mp3", TaggedMp3({name, "Band", "Album", 1}));
      playlist += base() + name + ".mp3\r\n";
    }
    WriteFile(base() + "all.m3u", playlist);
  }

  std::string base() const { return work() + "/music/"; }

  std::unique_ptr<MainWindow> OpenForRealRun() {
    auto window = OpenWindow(/*journaled=*/true);
    Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
    return window;
  }

  static std::string ReportText(const MainWindow& window) {
    return window.report_window()->txtResults()->toPlainText().toStdString();
  }
};

// Stop, pressed by a timer that fires during the per-file phase (events are
// handled there), ends the run between two files: the file moved stays
// moved, the playlist follows it, the journal is complete, no error is
// shown, and the report says where the run stopped.
TEST_F(RunControlTest, StopEndsTheRunBetweenTwoFilesWithEverythingWhole) {
  auto window = OpenForRealRun();
  const TreeSnapshot before = TakeSnapshot(base());
  RecordingErrorHost error_host;
  QString button_when_fired;
  file_system_.before_rename = [&](const std::string&, const std::string&) {
    if (file_system_.calls().renames != 1) return;
    QTimer::singleShot(0, [&] {
      auto* go = Find<QPushButton>(*window, "cmdGo");
      button_when_fired = go->text();
      go->click();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * MainWindow::kEventIntervalMs));
  };
  Find<QPushButton>(*window, "cmdGo")->click();
  EXPECT_EQ(button_when_fired, QStringLiteral("Stop"));
  EXPECT_EQ(file_system_.calls().renames, 1);
  EXPECT_EQ(PlaylistProblems(PlaylistRules(base()), before, TakeSnapshot(base())),
            kNoPlaylistProblems);
  const std::vector<RunRecord> runs =
      RunsOnBase(journals_, base(), BaseKey(RealFileSystem(), base()));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].complete);
  EXPECT_EQ(runs[0].FilesMoved(), 1);
  EXPECT_TRUE(error_host.calls.empty());
  EXPECT_TRUE(dialogs_.messages.empty());
  const std::string report = ReportText(*window);
  EXPECT_EQ(report.substr(report.rfind('\n') + 1),
            "Stopped by the user after file 1 of 3; the playlists were written for the files "
            "moved so far.");
  EXPECT_EQ(Find<QPushButton>(*window, "cmdGo")->text(), QStringLiteral("Go!"));
}

// The close box during a run asks whether to stop it: No lets the run
// finish with the window open; Yes stops it and then closes the window.
TEST_F(RunControlTest, CloseDuringARunAsksWhetherToStop) {
  for (const bool stop : {false, true}) {
    MakeLibrary();
    auto window = OpenForRealRun();
    dialogs_.questions.clear();
    dialogs_.yes_no_answer = stop;
    const int renames_before = file_system_.calls().renames;
    file_system_.before_rename = [&](const std::string&, const std::string&) {
      if (file_system_.calls().renames == renames_before + 1) window->close();
    };
    Find<QPushButton>(*window, "cmdGo")->click();
    ASSERT_EQ(dialogs_.questions.size(), 2u) << stop;
    EXPECT_EQ(dialogs_.questions[1].text,
              "A run is in progress. Stop it between two files and close Quillfold?");
    EXPECT_EQ(file_system_.calls().renames - renames_before, stop ? 1 : 3);
    EXPECT_EQ(window->isVisible(), !stop);
    file_system_.before_rename = nullptr;
  }
  EXPECT_EQ(StoredSetting("StartPath"), base());
}

// File > Undo Last Run... lists the runs, previews, asks, and puts the
// library back as it was before the run.
TEST_F(RunControlTest, UndoFromTheMenuRestoresTheRun) {
  auto window = OpenForRealRun();
  const TreeSnapshot before = TakeSnapshot(base());
  Find<QPushButton>(*window, "cmdGo")->click();
  ASSERT_NE(TakeSnapshot(base()), before);
  dialogs_.questions.clear();
  Find<QAction>(*window, "mnuUndo")->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 2u);
  EXPECT_EQ(dialogs_.questions[0].caption, "Undo Last Run");
  EXPECT_NE(dialogs_.questions[0].text.find("  3 files moved  not undone"), std::string::npos)
      << dialogs_.questions[0].text;
  EXPECT_EQ(dialogs_.questions[1].text.rfind("Undo the Run of ", 0), 0u);
  EXPECT_EQ(TakeSnapshot(base()), before);
  EXPECT_EQ(ReportText(*window).rfind("Undoing Run of ", 0), 0u) << ReportText(*window);
}

}  // namespace
}  // namespace quillfold::testing
