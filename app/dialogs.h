#pragma once

#include <string>

#include "organize/organize_host.h"

class QWidget;

namespace quillfold {

// The main window's modal message boxes, behind an interface so that tests
// answer them instead of a user.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message with an OK button only and no icon; returns when it is closed.
  virtual void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption) = 0;
  // A question with Yes, No and Cancel, Yes the default, no icon. Closing the
  // box without a button counts as Cancel.
  virtual Answer AskYesNoCancel(QWidget* owner, const std::string& prompt,
                                const std::string& caption) = 0;
  // A question with Yes and No, No the default, no icon; true for Yes.
  // Closing the box counts as No.
  virtual bool AskYesNo(QWidget* owner, const std::string& prompt, const std::string& caption) = 0;
};

// The real boxes: QMessageBox, modal to the owner's window.
class MessageBoxDialogs final : public Dialogs {
 public:
  void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption) override;
  Answer AskYesNoCancel(QWidget* owner, const std::string& prompt,
                        const std::string& caption) override;
  bool AskYesNo(QWidget* owner, const std::string& prompt, const std::string& caption) override;
};

}  // namespace quillfold
