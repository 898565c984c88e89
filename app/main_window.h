#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/main_window_layout.h"
#include "app/report_window.h"
#include "app/run_notes.h"
#include "app/volume_table.h"
#include "errors/run_error.h"
#include "organize/organize_host.h"
#include "organize/organizer.h"
#include "platform/file_system.h"
#include "settings/registry.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace quillfold {

class Dialogs;
class DriveList;
class FolderList;

// frmMain: the window the user works in. Its load sequence (in the
// constructor) restores the options and the start path from the settings
// store; its unload sequence (when it closes) closes the report window and
// saves them. It hosts the organize engine: "Go!" starts a run that reads
// the chosen path and the options from this window and reports into the
// report window. Everything it touches comes in through the constructor, so
// tests give it temporary folders, a private settings hive, fixed volumes
// and answering dialogs. With `journals`, its real runs keep journals there,
// for undo (File > Undo Last Run...) and for mending a killed run
// (organize/organizer.h).
//
// A run (or an undo) runs on this thread; the engine lets the window in
// between two steps of every phase, and the window then handles its events
// at most every kEventIntervalMs, so it repaints, moves and answers while
// the run goes on. During a run every control that could start another run
// or change what the run reads is disabled; "Go!" becomes "Stop" (as does
// Esc), which the engine takes between two files. The close box asks
// whether to stop the run and closes the window when it has ended.
class MainWindow final : public QMainWindow, public OrganizeHost {
 public:
  MainWindow(FileSystem& file_system, Registry& registry, VolumeSource& volume_source,
             Dialogs& dialogs, JournalStorage* journals = nullptr);
  ~MainWindow() override;

  // The chosen path as lblPath shows it (always ending in "/" once loaded).
  const std::string& chosen_path() const { return chosen_path_; }
  // The report window, or null when none is loaded.
  ReportWindow* report_window() const { return report_window_; }

  std::string ChosenPath() override;
  OrganizeOptions CurrentOptions() override;
  Answer AskYesNoCancel(const std::string& prompt, const std::string& caption) override;
  void ShowMessage(const std::string& prompt, const std::string& caption) override;
  void ClearReport() override;
  void ShowReport() override;
  void AppendReport(const std::string& text) override;
  void HandlePendingEvents() override;
  void SearchProgress(int found) override;
  void PlacingProgress(int index, int count) override;
  void TagUnreadable(const std::string& path, const std::string& reason) override;
  void PlaylistLinkSkipped(const std::string& link, const std::string& reason) override;
  void PlaylistSkipped(const std::string& path, const std::string& reason) override;
  void MountedFolderSkipped(const std::string& folder) override;
  bool StopRequested() override { return stop_requested_; }

  // Events are handled at most this often during a run (in ms).
  static constexpr int kEventIntervalMs = 20;
  void FilesWithOnlyId3v2(int count) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void BuildPathBox(QWidget* client);
  void BuildMenus();
  void SetTabOrder();
  void ApplyLayout(int width, int height);
  void StartInCurrentFolder();
  void Load();
  void ApplyStartPath();
  void UnloadReportWindow();
  void SaveSettings();
  void RestoreWindowPlace();

  void FolderChangeStep();
  void FolderClickStep();
  void DriveChangeStep();
  void QuitStep();
  void GoClicked();
  void UndoStep();
  // An organize run adds where it stopped after its report; an undo's
  // report says so itself.
  enum class RunKind { kOrganize, kUndo };
  // Runs `work` as one run: the window locked but for Stop, events handled,
  // the notes added after the report, a failure shown. True when it ended
  // without a failure or a stop.
  bool RunAsActive(std::string_view routine, RunKind kind, const std::function<void()>& work);
  void BeginRun();
  void EndRun(RunKind kind, const std::optional<RunError>& failure);
  void ShowRunFailure(std::string_view routine, const RunError& error);
  void RequestStop();
  void SetRunning(bool running);
  void ShowElapsed();
  void SetChosenPath(const std::string& path);
  void ChooseTypedPath(const std::string& path);
  ReportWindow& EnsureReportWindow();

  FileSystem& file_system_;
  Registry& registry_;
  Dialogs& dialogs_;
  JournalStorage* journals_;
  VolumeTable volumes_;
  Organizer organizer_;
  std::string chosen_path_;
  TextWidths text_widths_;
  bool close_after_run_ = false;
  bool unloaded_ = false;
  bool run_active_ = false;
  bool stop_requested_ = false;
  // Set for an undo's passes: report-only for the preview, real after.
  std::optional<int> dont_do_override_;
  RunNotes notes_;
  QElapsedTimer run_clock_;
  QElapsedTimer since_events_;
  QSize report_size_;

  DriveList* drive1_ = nullptr;
  FolderList* dir1_ = nullptr;
  QGroupBox* frm_options_ = nullptr;
  std::array<QCheckBox*, 6> option_boxes_{};
  QPushButton* cmd_go_ = nullptr;
  QLabel* label1_ = nullptr;
  QLineEdit* lbl_path_ = nullptr;
  QMenu* mnu_file_ = nullptr;
  QMenu* mnu_help_ = nullptr;
  QLabel* progress_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QTimer* elapsed_timer_ = nullptr;
  QLabel* hint_ = nullptr;  // the ID3v1 mode's count of files with only ID3v2
  QCheckBox* chk_id3v2_ = nullptr;
  QPointer<ReportWindow> report_window_;
};

}  // namespace quillfold
