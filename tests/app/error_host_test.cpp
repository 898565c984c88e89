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

// A critical Yes/No box with Yes the default; Escape does not answer it, so
// ending the program takes a deliberate "No".
TEST(QtErrorReporterHostTest, AsksWithACriticalYesNoBox) {
  QtErrorReporterHost host;
  for (bool answer_yes : {true, false}) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString title;
    bool default_is_yes = false;
    bool open_after_escape = false;
    WhenBoxShown([&](QMessageBox* box) {
      ASSERT_NE(box, nullptr);
      icon = box->icon();
      text = box->text();
      title = box->windowTitle();
      default_is_yes = box->defaultButton() == box->button(QMessageBox::Yes);
      QTest::keyClick(box, Qt::Key_Escape);
      open_after_escape = box->isVisible();
      box->button(answer_yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    EXPECT_EQ(host.AskContinue("An error:\r\n\r\n6: Overflow", "Program Error"), answer_yes);
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, QStringLiteral("An error:\n\n6: Overflow"));
    EXPECT_EQ(title, QStringLiteral("Program Error"));
    EXPECT_TRUE(default_is_yes);
    EXPECT_TRUE(open_after_escape);
  }
}

// Yes is the default; Escape cancels.
TEST(MessageBoxDialogsTest, AnswersFollowTheButtonPressed) {
  MessageBoxDialogs dialogs;
  const struct {
    QMessageBox::StandardButton button;  // NoButton: press Escape
    Answer answer;
  } cases[] = {{QMessageBox::Yes, Answer::kYes},
               {QMessageBox::No, Answer::kNo},
               {QMessageBox::Cancel, Answer::kCancel},
               {QMessageBox::NoButton, Answer::kCancel}};
  for (const auto& c : cases) {
    bool default_is_yes = false;
    QString title;
    WhenBoxShown([&](QMessageBox* box) {
      ASSERT_NE(box, nullptr);
      default_is_yes = box->defaultButton() == box->button(QMessageBox::Yes);
      title = box->windowTitle();
      if (c.button == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(c.button)->click();
      }
    });
    EXPECT_EQ(dialogs.AskYesNoCancel(nullptr, "Convert?", "Are You Sure?"), c.answer) << c.button;
    EXPECT_TRUE(default_is_yes) << c.button;
    EXPECT_EQ(title, QStringLiteral("Are You Sure?")) << c.button;
  }
}

}  // namespace
}  // namespace quillfold::testing
