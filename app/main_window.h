#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <string>

#include "app/main_window_layout.h"
#include "app/report_window.h"
#include "app/volume_table.h"
#include "organize/organize_host.h"
#include "organize/organizer.h"
#include "platform/file_system.h"
#include "platform/registry.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

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
// for undo and for mending a killed run (organize/organizer.h).
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
  void FilesWithOnlyId3v2(int count) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void SetTabOrder();
  void ApplyLayout(int width, int height);
  void StartInCurrentFolder();
  void Load();
  void ApplyStartPath();
  void UnloadReportWindow();
  void SaveSettings();

  void FolderChangeStep();
  void FolderClickStep();
  void DriveChangeStep();
  void QuitStep();
  void GoClicked();
  void ShowRunFailure(std::int32_t number, const std::string& description);
  void SetRunning(bool running);
  void SetChosenPath(const std::string& path);
  ReportWindow& EnsureReportWindow();

  FileSystem& file_system_;
  Registry& registry_;
  Dialogs& dialogs_;
  VolumeTable volumes_;
  Organizer organizer_;
  std::string chosen_path_;
  TextWidths text_widths_;
  bool close_after_run_ = false;
  bool unloaded_ = false;

  DriveList* drive1_ = nullptr;
  FolderList* dir1_ = nullptr;
  QGroupBox* frm_options_ = nullptr;
  std::array<QCheckBox*, 6> option_boxes_{};
  QPushButton* cmd_go_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* lbl_path_ = nullptr;
  QMenu* mnu_file_ = nullptr;
  QMenu* mnu_help_ = nullptr;
  QLabel* progress_ = nullptr;
  QLabel* hint_ = nullptr;  // the ID3v1 mode's count of files with only ID3v2
  QCheckBox* chk_id3v2_ = nullptr;
  QPointer<ReportWindow> report_window_;
};

}  // namespace quillfold
