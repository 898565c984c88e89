#include "app/qt_error_reporter_host.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <cstdlib>

#include "app/shown_text.h"

namespace quillfold {
namespace {

// Ending the program loses the settings, so only a click on "No" (or the
// keyboard on it) may choose it: Escape and the close box, which a message
// box would count as "No", do nothing here.
class ContinueBox final : public QMessageBox {
 public:
  ContinueBox(const QString& title, const QString& text, QWidget* owner)
      : QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Yes | QMessageBox::No, owner) {
    setDefaultButton(QMessageBox::Yes);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) return;
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

void QtErrorReporterHost::ClearClipboard() { QGuiApplication::clipboard()->clear(); }

void QtErrorReporterHost::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(ShownText(text));
}

bool QtErrorReporterHost::AskContinue(const std::string& text, const std::string& title) {
  ContinueBox box(ShownText(title), ShownLines(text), QApplication::activeWindow());
  return box.exec() == QMessageBox::Yes;
}

void QtErrorReporterHost::EndProgramNow() { std::_Exit(EXIT_FAILURE); }

}  // namespace quillfold
