#include "app/report_window.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "app/shown_text.h"
#include "app/twips.h"
#include "app/window_font.h"

namespace quillfold {

ReportWindow::ReportWindow(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      txt_results_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("frmResults"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Quillfold - Report Window"));
  setFont(WindowFont());
  const TwipScale scale(logicalDpiY());
  setFixedSize(scale.Pixels(8160), scale.Pixels(5175));
  txt_results_->setObjectName(QStringLiteral("txtResults"));
  txt_results_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txt_results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txt_results_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  const PixelRect box = scale.Pixels(TwipRect{120, 120, 7935, 4935});
  txt_results_->setGeometry(box.x, box.y, box.width, box.height);
  txt_results_->setFocus();
}

void ReportWindow::Clear() { txt_results_->clear(); }

void ReportWindow::Append(std::string_view text) {
  // The program's own additions are not steps the user can undo.
  QTextDocument* document = txt_results_->document();
  document->setUndoRedoEnabled(false);
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  end.insertText(ShownLines(text));
  document->setUndoRedoEnabled(true);
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

}  // namespace quillfold
