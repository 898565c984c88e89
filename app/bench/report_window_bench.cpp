// Measures how the report window takes a long report: the pieces a run
// appends, one file line at a time, into txtResults on Qt's offscreen
// platform. Prints the seconds for 3,000, 10,000 and 30,000 file lines and
// the cost per line of each against the smallest: near 1 when appending is
// linear, growing with the length when each append redoes the whole text.
//   quillfold-report-bench
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <cstdio>
#include <string>

#include "app/report_window.h"
#include "product/program_usage.h"

namespace {

constexpr int kLineCounts[] = {3000, 10000, 30000};

// Appends a report of `lines` file lines the way a run does and returns the
// seconds until the window has shown it.
double TimeReport(int lines) {
  quillfold::ReportWindow window(nullptr);
  window.ShowNonModal();
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  window.Append("Processing Directory /srv/music/:");
  window.Append("\r\n\r\nThe following MP3 files were moved:");
  for (int i = 0; i < lines; ++i) {
    window.Append("\r\n   \"track" + std::to_string(i) +
                  ".mp3\": Move to \"./Some Band/First Album/07. Opening Song " +
                  std::to_string(i) + ".mp3\"");
  }
  QApplication::processEvents();
  const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  if (window.txtResults()->blockCount() != lines + 3) {
    std::fprintf(stderr, "the window shows %d lines, not %d\n", window.txtResults()->blockCount(),
                 lines + 3);
    std::exit(1);
  }
  return seconds;
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
    const double seconds = TimeReport(lines);
    const double per_line = seconds / lines;
    if (first_per_line == 0) first_per_line = per_line;
    std::printf(
        "report window, %6d file lines: %7.3f s, %6.1f us per line, %5.2fx the cost per "
        "line at %d\n",
        lines, seconds, per_line * 1e6, per_line / first_per_line, kLineCounts[0]);
  }
  return 0;
}
