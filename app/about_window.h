#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillfold {

// About: a borderless black panel with a white card naming the program, what
// it does and how to use it, its author and the copyright line. "OK"
// (cmdClose, also pressed by Enter and Escape) closes it. Made fresh for
// each showing and deleted when closed.
class AboutWindow final : public QDialog {
 public:
  explicit AboutWindow(QWidget* owner);

  // Shows a new About window modally, centred on `owner`, until it is closed.
  static void ShowModal(QWidget* owner);

 private:
  QLabel* AddLabel(const char* name, const QString& text, int left, int top, int width, int height);
};

}  // namespace quillfold
