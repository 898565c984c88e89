#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/dialogs.h"
#include "app/qt_error_reporter_host.h"
#include "tests/app/gui_test_support.h"

namespace quillfold::testing {
namespace {

// Runs `act` on the message box as soon as it is shown.
void WhenBoxShown(std::function<void(QMessageBox*)> act) {
  QTimer::singleShot(0,
                     [act] { act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
}

TEST(QtErrorReporterHostTest, ClipboardGetsTheTextExactly) {
  QtErrorReporterHost host;
  QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
  host.ClearClipboard();
  EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
  host.SetClipboardText("line one\r\n\r\n6: Overflow");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("line one\r\n\r\n6: Overflow"));
}

// The error reporter's box answers Yes or No, never Escape (ending the
// program takes a deliberate "No"); the run's question answers as pressed,
// Escape cancelling it.
TEST(MessageBoxesTest, AnswersFollowTheButtonPressed) {
  QtErrorReporterHost host;
  for (const bool yes : {true, false}) {
    WhenBoxShown([yes](QMessageBox* box) {
      QTest::keyClick(box, Qt::Key_Escape);
      box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    EXPECT_EQ(host.AskContinue("An error:\r\n\r\n6: Overflow", "Program Error"), yes);
  }
  const struct {
    QMessageBox::StandardButton button;  // NoButton: press Escape
    Answer answer;
  } cases[] = {{QMessageBox::Yes, Answer::kYes},
               {QMessageBox::No, Answer::kNo},
               {QMessageBox::Cancel, Answer::kCancel},
               {QMessageBox::NoButton, Answer::kCancel}};
  for (const auto& c : cases) {
    WhenBoxShown([&c](QMessageBox* box) {
      if (c.button == QMessageBox::NoButton) return QTest::keyClick(box, Qt::Key_Escape);
      box->button(c.button)->click();
    });
    EXPECT_EQ(MessageBoxDialogs().AskYesNoCancel(nullptr, "Convert?", "Are You Sure?"), c.answer)
        << c.button;
  }
}

}  // namespace
}  // namespace quillfold::testing
