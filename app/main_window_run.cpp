#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "app/dialogs.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/option_boxes.h"
#include "app/report_window.h"
#include "app/shown_text.h"
#include "errors/error_reporter.h"
#include "errors/run_error.h"

namespace quillfold {
namespace {

// The per-file phase takes no user input, so its progress is painted
// directly; a few hundred paints per run are enough to see it move.
constexpr int kProgressPaints = 200;

}  // namespace

void MainWindow::GoClicked() {
  if (organizer_.running()) return;
  SetRunning(true);
  try {
    organizer_.OrganizeRun();
  } catch (const RunError& error) {
    ShowRunFailure(error.number(), error.description());
  }
  SetRunning(false);
  if (close_after_run_) close();
}

// The engine has written back the playlists changed so far and the report
// window keeps the report up to the failure.
void MainWindow::ShowRunFailure(std::int32_t number, const std::string& description) {
  PendingError pending{number, description};
  ReportError("OrganizeRun", pending);
}

// While a run is active nothing that could start another run or change
// what the run reads is usable; the window still repaints and moves.
void MainWindow::SetRunning(bool running) {
  for (QWidget* control : {static_cast<QWidget*>(drive1_), static_cast<QWidget*>(dir1_),
                           static_cast<QWidget*>(frm_options_), static_cast<QWidget*>(cmd_go_),
                           static_cast<QWidget*>(chk_id3v2_)}) {
    control->setEnabled(!running);
  }
  if (running) hint_->clear();
  mnu_file_->menuAction()->setEnabled(!running);
  mnu_help_->menuAction()->setEnabled(!running);
  if (!running) progress_->clear();
}

std::string MainWindow::ChosenPath() { return chosen_path_; }

OrganizeOptions MainWindow::CurrentOptions() {
  OrganizeOptions options;
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i) {
    options.*kOptionBoxes[i].field = option_boxes_[i]->isChecked() ? 1 : 0;
  }
  options.*kId3v2Box.field = chk_id3v2_->isChecked() ? 1 : 0;
  return options;
}

Answer MainWindow::AskYesNoCancel(const std::string& prompt, const std::string& caption) {
  return dialogs_.AskYesNoCancel(this, prompt, caption);
}

void MainWindow::ShowMessage(const std::string& prompt, const std::string& caption) {
  dialogs_.ShowMessage(this, prompt, caption);
}

ReportWindow& MainWindow::EnsureReportWindow() {
  if (report_window_.isNull()) report_window_ = new ReportWindow(this);
  return *report_window_;
}

void MainWindow::ClearReport() { EnsureReportWindow().Clear(); }

void MainWindow::ShowReport() { EnsureReportWindow().ShowNonModal(); }

void MainWindow::AppendReport(const std::string& text) { EnsureReportWindow().Append(text); }

void MainWindow::HandlePendingEvents() { QCoreApplication::processEvents(); }

void MainWindow::SearchProgress(int found) {
  progress_->setText(QStringLiteral("Files found: %1").arg(found));
}

void MainWindow::FilesWithOnlyId3v2(int count) {
  hint_->setText(QStringLiteral("%1 file(s) have an ID3v2 tag but no ID3v1 tag: tick \"%2\" to "
                                "read them")
                     .arg(count)
                     .arg(ShownText(kId3v2Box.text)));
}

void MainWindow::PlacingProgress(int index, int count) {
  const int every = std::max(1, count / kProgressPaints);
  if (index != 1 && index != count && index % every != 0) return;
  progress_->setText(QStringLiteral("File %1 of %2").arg(index).arg(count));
  progress_->repaint();
}

}  // namespace quillfold
