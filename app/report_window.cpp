#include "app/report_window.h"

#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/shown_text.h"
#include "app/twips.h"
#include "app/window_font.h"
#include "errors/run_error.h"
#include "platform/no_replace_rename.h"

namespace quillfold {
namespace {

// How long putting one batch into the box may take: the window handles its
// events between batches, and a run lets it in every 20 ms, so a batch of
// this cost keeps the longest wait near 30 ms. The size of the next batch
// follows from what the last one cost (lines and the box's state vary).
constexpr qint64 kBatchBudgetNs = 8'000'000;
constexpr qsizetype kFirstBatchChars = 4'096;
constexpr qsizetype kSmallestBatchChars = 256;
constexpr qsizetype kLargestBatchChars = 4'194'304;

QPushButton* AddButton(QHBoxLayout* row, const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(true);
  row->addWidget(button);
  return button;
}

}  // namespace

ReportWindow::ReportWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      txt_results_(new QPlainTextEdit(this)),
      batch_chars_(kFirstBatchChars) {
  setObjectName(QStringLiteral("frmResults"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Quillfold - Report Window"));
  setFont(WindowFont());
  const TwipScale scale = WindowScale(*this);
  resize(scale.Pixels(8160), scale.Pixels(5175));
  txt_results_->setObjectName(QStringLiteral("txtResults"));
  txt_results_->setAccessibleName(QStringLiteral("Report"));
  txt_results_->setReadOnly(true);
  txt_results_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  txt_results_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txt_results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txt_results_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txt_results_->document()->setUndoRedoEnabled(false);
  auto* column = new QVBoxLayout(this);
  const int margin = scale.Pixels(120);
  column->setContentsMargins(margin, margin, margin, margin);
  column->addWidget(txt_results_, 1);
  BuildFindRow();
  txt_results_->setFocus();
}

void ReportWindow::BuildFindRow() {
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("&Find:"));
  txt_find_ = new QLineEdit;
  txt_find_->setObjectName(QStringLiteral("txtFind"));
  txt_find_->setAccessibleName(QStringLiteral("Find in report"));
  label->setBuddy(txt_find_);
  row->addWidget(label);
  row->addWidget(txt_find_, 1);
  QPushButton* next = AddButton(row, QStringLiteral("Find &Next"), "cmdFindNext");
  row->addStretch(1);
  QPushButton* copy = AddButton(row, QStringLiteral("&Copy"), "cmdCopy");
  QPushButton* save = AddButton(row, QStringLiteral("&Save As..."), "cmdSaveAs");
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
  const auto find = [this] {
    if (!FindNext(txt_find_->text())) QApplication::beep();
  };
  connect(txt_find_, &QLineEdit::returnPressed, this, find);
  connect(next, &QPushButton::clicked, this, find);
  connect(copy, &QPushButton::clicked, this, &ReportWindow::CopyToClipboard);
  connect(save, &QPushButton::clicked, this, &ReportWindow::SaveAs);
  new QShortcut(QKeySequence::Find, this, this, [this] {
    txt_find_->setFocus();
    txt_find_->selectAll();
  });
  new QShortcut(QKeySequence::FindNext, this, this, find);
  new QShortcut(QKeySequence::Save, this, this, &ReportWindow::SaveAs);
}

void ReportWindow::Clear() {
  pending_.clear();
  txt_results_->clear();
}

void ReportWindow::Append(std::string_view text) {
  if (pending_.isEmpty()) QTimer::singleShot(0, this, &ReportWindow::Flush);
  pending_ += ShownLines(text);
  // A batch too large would itself keep the window from its events.
  if (pending_.size() >= batch_chars_) Flush();
}

void ReportWindow::Flush() {
  if (pending_.isEmpty()) return;
  QElapsedTimer inserting;
  inserting.start();
  QTextCursor end(txt_results_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(pending_);
  const qint64 spent_ns = std::max<qint64>(inserting.nsecsElapsed(), 1);
  // Grown at most twofold a batch, so one quick batch after a slow one does
  // not make the next huge.
  const double fitting = static_cast<double>(pending_.size()) * kBatchBudgetNs / spent_ns;
  batch_chars_ = std::clamp(std::min(static_cast<qsizetype>(fitting), 2 * batch_chars_),
                            kSmallestBatchChars, kLargestBatchChars);
  pending_.clear();
}

void ReportWindow::ShowNonModal() {
  if (!placed_ && parentWidget() != nullptr) {
    move(parentWidget()->frameGeometry().center() - rect().center());
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

bool ReportWindow::FindNext(const QString& text) {
  Flush();
  if (text.isEmpty()) return false;
  if (txt_results_->find(text)) return true;
  const QTextCursor kept = txt_results_->textCursor();
  txt_results_->moveCursor(QTextCursor::Start);
  if (txt_results_->find(text)) return true;
  txt_results_->setTextCursor(kept);
  return false;
}

void ReportWindow::CopyToClipboard() {
  Flush();
  QString selected = txt_results_->textCursor().selectedText();
  QGuiApplication::clipboard()->setText(
      selected.isEmpty() ? txt_results_->toPlainText()
                         : selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

// Written whole into a temporary file beside `path` and flushed, then given
// the name only if it is free at that very moment: a file made there since
// the dialog looked is never replaced, and no half-written report ever
// carries the name.
QString ReportWindow::SaveTo(const QString& path) {
  Flush();
  const QString folder = QFileInfo(path).absolutePath();
  QTemporaryFile file(folder + QStringLiteral("/.quillfold-report-XXXXXX"));
  const QByteArray bytes = txt_results_->toPlainText().toUtf8() + '\n';
  if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
    return file.errorString();
  }
  if (fsync(file.handle()) != 0) return QString::fromLocal8Bit(std::strerror(errno));
  // A temporary file is private; a saved report is as any new file.
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther);
  try {
    if (NoReplaceRenamer().Move(file.fileName().toStdString(), path.toStdString()) ==
        RenameOutcome::kTargetTaken) {
      return QStringLiteral("%1 already exists.").arg(path);
    }
  } catch (const RunError& error) {
    return QString::fromStdString(error.description());
  }
  file.setAutoRemove(false);
  return {};
}

void ReportWindow::SaveAs() {
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Report As"), QStringLiteral("quillfold-report.txt"),
      QStringLiteral("Text files (*.txt);;All files (*)"), nullptr,
      QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  const QString failure = SaveTo(path);
  if (failure.isEmpty()) return;
  QMessageBox::warning(this, QStringLiteral("Quillfold"),
                       QStringLiteral("The report was not saved: %1").arg(failure));
}

void ReportWindow::closeEvent(QCloseEvent* event) {
  if (keep_open_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

// Esc reaches the window when the widget with the focus does not use it.
void ReportWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return static_cast<void>(close());
  QWidget::keyPressEvent(event);
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resized_ && isVisible()) resized_(size());
}

}  // namespace quillfold
