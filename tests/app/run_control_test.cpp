#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

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

  static std::string LastReportLine(const MainWindow& window) {
    const std::string report = ReportText(window);
    return report.substr(report.rfind('\n') + 1);
  }

  // Presses "Go!" (then Stop) from a timer that fires when the window next
  // handles events, at the `n`th rename from now; `stop_text_` keeps the
  // button's text then.
  void PressStopAtRename(MainWindow& window, int n) {
    const int target = file_system_.calls().renames + n;
    file_system_.before_rename = [this, &window, target](const std::string&, const std::string&) {
      if (file_system_.calls().renames != target) return;
      QTimer::singleShot(0, [this, &window] {
        auto* go = Find<QPushButton>(window, "cmdGo");
        stop_text_ = go->text();
        go->click();
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(2 * MainWindow::kEventIntervalMs));
    };
  }

  QString stop_text_;
};

// Stop, pressed by a timer that fires during the per-file phase (events are
// handled there), ends the run between two files: the file moved stays
// moved, the playlist follows it, the journal is complete, no error is
// shown, and the report says where the run stopped.
TEST_F(RunControlTest, StopEndsTheRunBetweenTwoFilesWithEverythingWhole) {
  auto window = OpenForRealRun(/*journaled=*/true);
  const TreeSnapshot before = TakeSnapshot(base());
  RecordingErrorHost error_host;
  PressStopAtRename(*window, 1);
  PressGo(*window);
  EXPECT_EQ(std::pair(stop_text_, file_system_.calls().renames),
            std::pair(QStringLiteral("Stop"), 1));
  EXPECT_EQ(PlaylistProblems(PlaylistRules(base()), before, TakeSnapshot(base())),
            kNoPlaylistProblems);
  const std::vector<RunSummary> runs = RunsOnBase(journals_, BaseKey(RealFileSystem(), base()));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(std::pair(runs[0].complete, runs[0].files_moved), std::pair(true, 1));
  EXPECT_EQ(error_host.calls.size() + dialogs_.messages.size(), 0u) << "no error shown";
  EXPECT_EQ(LastReportLine(*window),
            "Stopped by the user after file 1 of 3; the playlists were written for the files "
            "moved so far.");
  EXPECT_EQ(Find<QPushButton>(*window, "cmdGo")->text(), QStringLiteral("Go!"));
}

// The close box during a run asks whether to stop it: No lets the run
// finish with the window open; Yes stops it and then closes the window.
TEST_F(RunControlTest, CloseDuringARunAsksWhetherToStop) {
  for (const bool stop : {false, true}) {
    MakeLibrary();
    auto window = OpenForRealRun(/*journaled=*/true);
    dialogs_.questions.clear();
    dialogs_.yes_no_answer = stop;
    const int renames_before = file_system_.calls().renames;
    file_system_.before_rename = [&](const std::string&, const std::string&) {
      if (file_system_.calls().renames == renames_before + 1) window->close();
    };
    PressGo(*window);
    ASSERT_EQ(dialogs_.questions.size(), 2u) << stop;
    EXPECT_EQ(dialogs_.questions[1],
              "A run is in progress. Stop it between two files and close Quillfold?");
    EXPECT_EQ(std::pair(file_system_.calls().renames - renames_before, window->isVisible()),
              std::pair(stop ? 1 : 3, !stop));
    file_system_.before_rename = nullptr;
  }
  EXPECT_EQ(StoredSetting("StartPath"), base());
}

// File > Undo Last Run... lists the runs and asks; Stop during the undo
// ends it between two files, saying where, with no error shown; the next
// undo from the menu finishes it, and the library is as before the run.
TEST_F(RunControlTest, UndoFromTheMenuStopsAndTheNextFinishesIt) {
  auto window = OpenForRealRun(/*journaled=*/true);
  const TreeSnapshot before = TakeSnapshot(base());
  RecordingErrorHost error_host;
  PressGo(*window);
  dialogs_.questions.clear();
  PressStopAtRename(*window, 1);
  Find<QAction>(*window, "mnuUndo")->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 2u);
  EXPECT_NE(dialogs_.questions[0].find("  3 files moved  not undone"), std::string::npos)
      << dialogs_.questions[0];
  EXPECT_EQ(dialogs_.questions[1].rfind("Undo the Run of ", 0), 0u);
  EXPECT_EQ(stop_text_, QStringLiteral("Stop"));
  EXPECT_EQ(LastReportLine(*window),
            "Undo stopped by the user after file 1 of 3; the next undo finishes this one.");
  EXPECT_EQ(error_host.calls.size() + dialogs_.messages.size(), 0u) << "no error shown";
  file_system_.before_rename = nullptr;
  Find<QAction>(*window, "mnuUndo")->trigger();
  EXPECT_EQ(TakeSnapshot(base()), before);
}

}  // namespace
}  // namespace quillfold::testing
