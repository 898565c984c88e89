#pragma once

#include <QWidget>
#include <string_view>

class QPlainTextEdit;

namespace quillfold {

// frmResults: the report of a run in one large text box, txtResults (no
// wrapping, both scroll bars, editable by the user). A small tool window,
// centred on its owner when first shown. Closing it unloads it: the window
// and its text are deleted, and the next run makes a new, empty one.
class ReportWindow final : public QWidget {
 public:
  explicit ReportWindow(QWidget* owner);

  void Clear();
  // Adds `text` (line breaks CR LF) at the end. Only the new text is added;
  // what the box holds already, user edits included, is not read or reset,
  // so a long report grows in time proportional to each piece.
  void Append(std::string_view text);
  // Shows the window without blocking the caller; brings it forward if shown.
  void ShowNonModal();

  QPlainTextEdit* txtResults() const { return txt_results_; }

 private:
  QPlainTextEdit* txt_results_;
  bool placed_ = false;
};

}  // namespace quillfold
