// Measures how the report window takes a long report: the pieces a run
// appends, one file line at a time, into txtResults on Qt's offscreen
// platform, with the status bar's "File n of N" set for every line and the
// window's events handled as the main window does during a run (at most
// every MainWindow::kEventIntervalMs). Prints the seconds for 3,000, 30,000
// and 300,000 file lines, the cost per line of each against the smallest
// (near 1 when appending is linear, growing with the length when each
// append redoes the whole text), and the time the window went without
// handling its events (what a user waits for a click): the longest, the
// 99th percentile and how many waits passed 50 ms, by the clock and in the
// program's own processor time (on a shared machine the clock also counts
// the times the program was not running at all).
//   quillfold-report-bench
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/report_window.h"
#include "product/program_usage.h"

namespace {

constexpr int kLineCounts[] = {3000, 30000, 300000};

// The processor time this thread has used, in ms: on a machine shared with
// other work the clock also counts the times the program was not running.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
  double seconds = 0;
  // Each wait for events, from one round of event handling to the end of
  // the next: by the clock, and in the program's own processor time.
  std::vector<double> waits_ms;
  std::vector<double> cpu_waits_ms;
};

// "at most M ms (99th percentile P ms, N of T over 50 ms)"
std::string WaitFigures(std::vector<double> waits) {
  if (waits.empty()) return "none";
  std::sort(waits.begin(), waits.end());
  const auto over = waits.end() - std::upper_bound(waits.begin(), waits.end(), 50.0);
  char text[128];
  std::snprintf(text, sizeof text,
                "at most %.0f ms (99th percentile %.0f ms, %td of %zu over 50 ms)", waits.back(),
                waits[waits.size() * 99 / 100], over, waits.size());
  return text;
}

// Appends a report of `lines` file lines the way a run does and returns the
// seconds until the window has shown it.
Timing TimeReport(int lines) {
  quillfold::ReportWindow window(nullptr);
  QLabel status;
  window.ShowNonModal();
  status.show();
  QApplication::processEvents();
  QElapsedTimer timer;
  QElapsedTimer since_events;
  timer.start();
  since_events.start();
  double cpu_at_events = ThreadCpuMs();
  Timing timing;
  window.Append("Processing Directory /srv/music/:");
  window.Append("\r\n\r\nThe following MP3 files were moved:");
  for (int i = 0; i < lines; ++i) {
    status.setText(QStringLiteral("File %1 of %2").arg(i + 1).arg(lines));
    window.Append("\r\n   \"track" + std::to_string(i) +
                  ".mp3\": Move to \"./Some Band/First Album/07. Opening Song " +
                  std::to_string(i) + ".mp3\"");
    if (since_events.elapsed() < quillfold::MainWindow::kEventIntervalMs) continue;
    QApplication::processEvents();
    timing.waits_ms.push_back(static_cast<double>(since_events.nsecsElapsed()) / 1e6);
    timing.cpu_waits_ms.push_back(ThreadCpuMs() - cpu_at_events);
    since_events.start();
    cpu_at_events = ThreadCpuMs();
  }
  QApplication::processEvents();
  timing.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  if (window.txtResults()->blockCount() != lines + 3) {
    std::fprintf(stderr, "the window shows %d lines, not %d\n", window.txtResults()->blockCount(),
                 lines + 3);
    std::exit(1);
  }
  return timing;
}

// The offscreen platform's notices (no raise(), no runtime folder) would
// come between the figures; anything graver still shows.
void QuietNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool asked = quillfold::AsksForHelp(argc, argv);
    std::fprintf(asked ? stdout : stderr,
                 "usage: %s\nTimes the report window taking reports of growing length.\n", argv[0]);
    return asked ? 0 : 2;
  }
  qInstallMessageHandler(QuietNotices);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  double first_per_line = 0;
  for (const int lines : kLineCounts) {
    const Timing timing = TimeReport(lines);
    const double per_line = timing.seconds / lines;
    if (first_per_line == 0) first_per_line = per_line;
    std::printf(
        "report window, %6d file lines: %7.3f s, %6.1f us per line, %5.2fx the cost per line at "
        "%d\n  events waited %s by the clock,\n                %s of the program's own time\n",
        lines, timing.seconds, per_line * 1e6, per_line / first_per_line, kLineCounts[0],
        WaitFigures(timing.waits_ms).c_str(), WaitFigures(timing.cpu_waits_ms).c_str());
  }
  return 0;
}
