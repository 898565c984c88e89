#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/about_window.h"
#include "app/report_window.h"
#include "tests/app/gui_test_support.h"

namespace quillfold::testing {
namespace {

// Pieces are added at the end with CR LF shown as line breaks, keeping the
// cursor where it is; long lines do not wrap but scroll.
TEST(ReportWindowTest, AppendsAtTheEndAndScrollsLongLines) {
  ReportWindow window(nullptr);
  window.ShowNonModal();
  window.Append("Scan:");
  window.txtResults()->moveCursor(QTextCursor::Start);
  window.Append("\r\n" + std::string(2000, 'x'));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.txtResults()->toPlainText(), QStringLiteral("Scan:\n") + QString(2000, 'x'));
  EXPECT_EQ(window.txtResults()->textCursor().position(), 0) << "the user's cursor stays";
  EXPECT_GT(window.txtResults()->horizontalScrollBar()->maximum(), 0);
  window.Clear();
  EXPECT_TRUE(window.txtResults()->toPlainText().isEmpty());
}

// The report cannot be typed over; Find goes round to the start; Copy takes
// the whole report when nothing is selected; Save As writes a new file and
// never replaces one; Esc closes the window, except while a run reports.
TEST(ReportWindowTest, ReadOnlyWithFindCopySaveAndEscape) {
  TempFolder folder;
  auto* window = new ReportWindow(nullptr);
  QPointer<ReportWindow> alive(window);
  window->ShowNonModal();
  window->Append("one two\r\n   two");
  QTest::keyClicks(window->txtResults(), "typed");
  EXPECT_EQ(window->txtResults()->toPlainText(), QStringLiteral("one two\n   two"));
  std::vector<int> found;
  for (int i = 0; i < 3; ++i) {
    found.push_back(window->FindNext(QStringLiteral("two"))
                        ? window->txtResults()->textCursor().selectionStart()
                        : -1);
  }
  EXPECT_EQ(found, (std::vector<int>{4, 11, 4}));
  EXPECT_FALSE(window->FindNext(QStringLiteral("three")));
  window->txtResults()->moveCursor(QTextCursor::End);
  window->CopyToClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("one two\n   two"));
  const QString path = QString::fromStdString(folder / "report.txt");
  EXPECT_EQ(window->SaveTo(path), QString());
  EXPECT_FALSE(window->SaveTo(path).isEmpty()) << "an existing file is not replaced";
  EXPECT_EQ(ReadFile(folder / "report.txt"), "one two\n   two\n");
  window->KeepOpen(true);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  window->KeepOpen(false);
  QTest::keyClick(window, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}

// Runs `check` on the modal window as soon as it is shown.
void WhenModalShown(std::function<void(QWidget*)> check) {
  QTimer::singleShot(0, [check] { check(QApplication::activeModalWidget()); });
}

// Each Help > About is a fresh window with the copyright line; Enter and
// Escape close it like "OK".
TEST_F(WindowTest, AboutIsFreshEachTimeAndClosesByEnterAndEscape) {
  auto window = OpenWindow();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    QPointer<QWidget> shown;
    QString copyright;
    WhenModalShown([&](QWidget* about) {
      shown = about;
      ASSERT_NE(about, nullptr);
      copyright = Find<QLabel>(*about, "Label3")->text();
      QTest::keyClick(about, key);
    });
    Find<QAction>(*window, "mnuAbout")->trigger();
    EXPECT_EQ(copyright, QStringLiteral("Copyright (C) 2026 Brackwater Software")) << key;
    EXPECT_TRUE(shown.isNull()) << "closed and deleted after key " << key;
  }
}

// Every text of the About window and of the options frame is shown whole,
// apart from the others, in whatever sans-serif face the system has.
TEST_F(WindowTest, NoTextIsCutOff) {
  AboutWindow about(nullptr);
  const QList<QLabel*> labels = about.findChildren<QLabel*>();
  for (QLabel* label : labels) {
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->objectName();
    EXPECT_LE(label->geometry().bottom(), about.height()) << label->objectName();
    for (QLabel* other : labels) {
      EXPECT_TRUE(other == label || !other->geometry().intersects(label->geometry()))
          << label->objectName() << " overlaps " << other->objectName();
    }
  }
  auto window = OpenWindow();
  auto* frame = Find<QWidget>(*window, "frmOptions");
  for (QCheckBox* box : frame->findChildren<QCheckBox*>()) {
    EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName();
    EXPECT_LE(box->geometry().right(), frame->width()) << box->objectName();
  }
}

}  // namespace
}  // namespace quillfold::testing
