#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "app/dialogs.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/option_boxes.h"
#include "app/report_window.h"
#include "app/shown_text.h"
#include "errors/error_reporter.h"
#include "organize/report.h"
#include "product/product.h"

namespace quillfold {
namespace {

constexpr std::string_view kStopQuestion =
    "A run is in progress. Stop it between two files and close Quillfold?";

}  // namespace

void MainWindow::GoClicked() {
  if (run_active_) return RequestStop();
  RunAsActive("OrganizeRun", RunKind::kOrganize, [this] { organizer_.OrganizeRun(); });
}

bool MainWindow::RunAsActive(std::string_view routine, RunKind kind,
                             const std::function<void()>& work) {
  BeginRun();
  std::optional<RunError> failure;
  try {
    work();
  } catch (const std::exception& error) {
    failure = RunErrorFromException(error);
  } catch (...) {
    failure = UnknownExceptionError();
  }
  EndRun(kind, failure);
  if (failure && failure->error_number() != ErrorNumber::kUserInterrupt) {
    ShowRunFailure(routine, *failure);
  }
  if (close_after_run_) close();
  return !failure;
}

void MainWindow::BeginRun() {
  run_active_ = true;
  stop_requested_ = false;
  notes_.Clear();
  run_clock_.start();
  since_events_.start();
  elapsed_timer_->start();
  ShowElapsed();
  SetRunning(true);
}

// What the user must know about the run goes after its report: the files
// whose tag could not be read, and where a stopped run stopped (an undo
// says that in its own report).
void MainWindow::EndRun(RunKind kind, const std::optional<RunError>& failure) {
  const bool stopped = failure && failure->error_number() == ErrorNumber::kUserInterrupt &&
                       kind == RunKind::kOrganize;
  const bool reported = report_window_ != nullptr && report_window_->isVisible();
  std::string notes = reported ? notes_.Sections() : std::string();
  if (stopped && reported) notes += std::string(kLineBreak) + std::string(kLineBreak);
  if (stopped) notes += notes_.StoppedText();
  if (!notes.empty()) {
    ShowReport();
    AppendReport(notes);
  }
  run_active_ = false;
  elapsed_timer_->stop();
  SetRunning(false);
}

// Failures that the user's disks and folders cause get a plain message and
// leave the clipboard alone; the error reporter, with its question whether
// to go on, is for faults of the program itself.
void MainWindow::ShowRunFailure(std::string_view routine, const RunError& error) {
  if (IsExpectedFailure(error)) {
    return dialogs_.ShowMessage(this, ExpectedFailureMessage(error), std::string(kProductTitle));
  }
  PendingError pending{error.number(), error.description()};
  ReportError(routine, pending);
}

void MainWindow::RequestStop() {
  if (!run_active_ || stop_requested_) return;
  stop_requested_ = true;
  cmd_go_->setEnabled(false);
  progress_->setText(QStringLiteral("Stopping after the present file..."));
}

// While a run is active nothing that could start another run or change
// what the run reads is usable; the window still repaints and moves, and
// "Go!" is the Stop button.
void MainWindow::SetRunning(bool running) {
  for (QWidget* control : {static_cast<QWidget*>(drive1_), static_cast<QWidget*>(dir1_),
                           static_cast<QWidget*>(frm_options_), static_cast<QWidget*>(lbl_path_),
                           static_cast<QWidget*>(chk_id3v2_)}) {
    control->setEnabled(!running);
  }
  if (running) hint_->clear();
  mnu_file_->menuAction()->setEnabled(!running);
  mnu_help_->menuAction()->setEnabled(!running);
  cmd_go_->setText(running ? QStringLiteral("Stop") : QStringLiteral("Go!"));
  cmd_go_->setAccessibleName(running ? QStringLiteral("Stop the run") : QStringLiteral("Go"));
  cmd_go_->setEnabled(true);
  if (report_window_ != nullptr) report_window_->KeepOpen(running);
  if (!running) progress_->clear();
}

void MainWindow::ShowElapsed() {
  const qint64 seconds = run_clock_.elapsed() / 1000;
  elapsed_->setText(QStringLiteral("Time elapsed: %1:%2")
                        .arg(seconds / 60)
                        .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (run_active_) {
    event->ignore();
    if (close_after_run_) return;
    if (dialogs_.AskYesNo(this, std::string(kStopQuestion), std::string(kProductTitle))) {
      close_after_run_ = true;
      RequestStop();
    }
    return;
  }
  if (!unloaded_) {
    unloaded_ = true;
    UnloadReportWindow();
    SaveSettings();
  }
  event->accept();
}

std::string MainWindow::ChosenPath() { return chosen_path_; }

OrganizeOptions MainWindow::CurrentOptions() {
  OrganizeOptions options;
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i) {
    options.*kOptionBoxes[i].option->field = option_boxes_[i]->isChecked() ? 1 : 0;
  }
  if (dont_do_override_) options.chkDontDo = *dont_do_override_;
  options.*kId3v2Box.option->field = chk_id3v2_->isChecked() ? 1 : 0;
  return options;
}

Answer MainWindow::AskYesNoCancel(const std::string& prompt, const std::string& caption) {
  return dialogs_.AskYesNoCancel(this, prompt, caption);
}

void MainWindow::ShowMessage(const std::string& prompt, const std::string& caption) {
  dialogs_.ShowMessage(this, prompt, caption);
}

ReportWindow& MainWindow::EnsureReportWindow() {
  if (report_window_.isNull()) {
    report_window_ = new ReportWindow(this);
    if (report_size_.isValid()) report_window_->resize(report_size_);
    report_window_->OnResized([this](QSize size) { report_size_ = size; });
    report_window_->KeepOpen(run_active_);
  }
  return *report_window_;
}

void MainWindow::ClearReport() { EnsureReportWindow().Clear(); }

void MainWindow::ShowReport() { EnsureReportWindow().ShowNonModal(); }

void MainWindow::AppendReport(const std::string& text) { EnsureReportWindow().Append(text); }

void MainWindow::HandlePendingEvents() {
  if (since_events_.isValid() && since_events_.elapsed() < kEventIntervalMs) return;
  QCoreApplication::processEvents();
  since_events_.start();
}

void MainWindow::SearchProgress(int found) {
  if (!stop_requested_) progress_->setText(QStringLiteral("Files found: %1").arg(found));
}

void MainWindow::FilesWithOnlyId3v2(int count) {
  hint_->setText(QStringLiteral("%1 file(s) have an ID3v2 tag but no ID3v1 tag: tick \"%2\" to "
                                "read them")
                     .arg(count)
                     .arg(ShownText(kId3v2Box.text)));
}

void MainWindow::PlacingProgress(int index, int count) {
  notes_.Placing(index, count);
  if (!stop_requested_) progress_->setText(QStringLiteral("File %1 of %2").arg(index).arg(count));
}

void MainWindow::TagUnreadable(const std::string& path, const std::string& reason) {
  notes_.Add(RunNotes::Kind::kTagUnreadable, path, reason);
}

void MainWindow::PlaylistLinkSkipped(const std::string& link, const std::string& reason) {
  notes_.Add(RunNotes::Kind::kLinkSkipped, link, reason);
}

void MainWindow::PlaylistSkipped(const std::string& path, const std::string& reason) {
  notes_.Add(RunNotes::Kind::kPlaylistSkipped, path, reason);
}

void MainWindow::MountedFolderSkipped(const std::string& folder) {
  notes_.Add(RunNotes::Kind::kMountedFolder, folder);
}

}  // namespace quillfold
