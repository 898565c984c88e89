#include "app/dialogs.h"
#include "app/main_window.h"
#include "organize/report.h"
#include "organize/undo.h"
#include "product/product.h"
#include "text/add_backslash.h"

namespace quillfold {
namespace {

constexpr std::string_view kUndoCaption = "Undo Last Run";

std::string RunListPrompt(const std::string& base_folder, const std::string& runs) {
  std::string prompt = "Runs on record for " + base_folder + ":\r\n\r\n";
  for (std::size_t start = 0; start < runs.size();) {
    const std::size_t end = runs.find('\n', start);
    prompt += "   " + runs.substr(start, end - start) + "\r\n";
    start = end == std::string::npos ? runs.size() : end + 1;
  }
  return prompt + "\r\nShow what undoing the latest run not yet undone would do?";
}

}  // namespace

// File > Undo Last Run...: the runs on record for the chosen base, then the
// undo's report-only pass in the report window, then the engine's own
// question and the real undo. Stop ends either between two files; the next
// undo finishes a real one that was stopped.
void MainWindow::UndoStep() {
  if (run_active_ || journals_ == nullptr) return;
  const std::string base_folder = AddBackslash(chosen_path_, file_system_.separator());
  const std::string runs = RunList(*journals_, base_folder, file_system_);
  if (runs.empty()) {
    return dialogs_.ShowMessage(this, NothingToUndoMessage(base_folder),
                                std::string(kProductTitle));
  }
  if (!dialogs_.AskYesNo(this, RunListPrompt(base_folder, runs), std::string(kUndoCaption))) {
    return;
  }
  UndoOutcome outcome = UndoOutcome::kNothingToUndo;
  const auto undo = [&](int dont_do) {
    dont_do_override_ = dont_do;
    outcome = UndoLastRun(file_system_, *journals_, *this);
  };
  const bool previewed = RunAsActive("UndoLastRun", RunKind::kUndo, [&] { undo(1); });
  if (previewed && outcome != UndoOutcome::kNothingToUndo) {
    RunAsActive("UndoLastRun", RunKind::kUndo, [&] { undo(0); });
  }
  dont_do_override_.reset();
}

}  // namespace quillfold
