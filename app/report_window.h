#pragma once

#include <QWidget>
#include <functional>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace quillfold {

// frmResults: the report of a run in one large text box, txtResults (no
// wrapping, both scroll bars, read-only so that the only record of a run
// cannot be wiped by a stray key). Resizable and maximisable; below the box
// a row to find text (Ctrl+F, Enter for the next match), copy it and save
// the report as a plain-text file. Esc closes it. Closing it unloads it:
// the window and its text are deleted, and the next run makes a new, empty
// one; while it is kept open (during a run) a close is refused instead.
class ReportWindow final : public QWidget {
 public:
  explicit ReportWindow(QWidget* owner);

  void Clear();
  // Adds `text` (line breaks CR LF) at the end. Only the new text is added;
  // what the box holds already is not read or reset, so a long report grows
  // in time proportional to each piece. The pieces that arrive between two
  // rounds of event handling go into the box together, at the next round or
  // when the box is asked for, so a run appending a line per file does not
  // lay the text out for every line; a batch goes in early once it would
  // take more than a few ms (judged by what the batch before it took).
  void Append(std::string_view text);
  // Shows the window without blocking the caller; brings it forward if shown.
  void ShowNonModal();
  // While true, closing the window is refused (a run is still reporting).
  void KeepOpen(bool keep) { keep_open_ = keep; }
  // Called with the window's size whenever the user changes it.
  void OnResized(std::function<void(QSize)> resized) { resized_ = std::move(resized); }

  // Selects the next match of `text` after the cursor, going round to the
  // start once; false (selection unchanged) when the report has none.
  bool FindNext(const QString& text);
  // Puts the selection, or the whole report when nothing is selected, on
  // the clipboard.
  void CopyToClipboard();
  // Writes the report as shown (line feeds) to a new file at `path`, whole
  // or not at all; an existing file is never replaced. Returns "" on
  // success, else why it failed.
  QString SaveTo(const QString& path);

  // The text box, holding every piece appended so far.
  QPlainTextEdit* txtResults() {
    Flush();
    return txt_results_;
  }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildFindRow();
  void SaveAs();
  void Flush();

  QPlainTextEdit* txt_results_;
  QLineEdit* txt_find_ = nullptr;
  QString pending_;        // appended, not yet in the box
  qsizetype batch_chars_;  // how much pending text goes in at once
  bool placed_ = false;
  bool keep_open_ = false;
  std::function<void(QSize)> resized_;
};

}  // namespace quillfold
