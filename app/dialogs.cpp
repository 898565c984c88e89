#include "app/dialogs.h"

#include <QMessageBox>

#include "app/shown_text.h"

namespace quillfold {

void MessageBoxDialogs::ShowMessage(QWidget* owner, const std::string& text,
                                    const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, ShownText(caption), ShownLines(text), QMessageBox::Ok,
                  owner);
  box.exec();
}

Answer MessageBoxDialogs::AskYesNoCancel(QWidget* owner, const std::string& prompt,
                                         const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, ShownText(caption), ShownLines(prompt),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

bool MessageBoxDialogs::AskYesNo(QWidget* owner, const std::string& prompt,
                                 const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, ShownText(caption), ShownLines(prompt),
                  QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace quillfold
