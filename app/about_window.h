#pragma once

#include <QDialog>
#include <utility>
#include <vector>

#include "app/twips.h"

class QLabel;
class QFrame;

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
  void AddLabels();
  QLabel* AddLabel(const char* name, const QString& text, const TwipRect& position);
  void ArrangeToFit();

  QFrame* shape_ = nullptr;
  // The labels and the button from top to bottom, with their drawn places.
  std::vector<std::pair<QWidget*, TwipRect>> column_;
};

}  // namespace quillfold
