#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/about_window.h"
#include "app/dialogs.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/option_boxes.h"
#include "app/report_window.h"
#include "app/shown_text.h"
#include "app/window_font.h"
#include "app/window_settings.h"
#include "product/product.h"
#include "tags/genre_table.h"
#include "tags/path_helpers.h"

static void InitResources() { Q_INIT_RESOURCE(quillfold); }

namespace quillfold {
namespace {

// The client area below the menu bar; it lays its controls out itself when
// its size changes.
class ClientArea final : public QWidget {
 public:
  explicit ClientArea(std::function<void(int, int)> lay_out) : lay_out_(std::move(lay_out)) {}

 protected:
  void resizeEvent(QResizeEvent*) override { lay_out_(width(), height()); }

 private:
  std::function<void(int, int)> lay_out_;
};

void Place(QWidget* widget, const PixelRect& rect) {
  widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
}

std::string ProcessCurrentFolder() {
  std::error_code error;
  const std::string folder = std::filesystem::current_path(error).string();
  return error ? std::string("/") : NormalFolderPath(folder);
}

}  // namespace

MainWindow::MainWindow(FileSystem& file_system, Registry& registry, VolumeSource& volume_source,
                       Dialogs& dialogs, JournalStorage* journals)
    : file_system_(file_system),
      registry_(registry),
      dialogs_(dialogs),
      volumes_(volume_source.MountedVolumes()),
      organizer_(file_system, *this, journals) {
  InitResources();
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(ShownText(kProductTitle));
  setWindowIcon(QIcon(QStringLiteral(":/quillfold/quillfold.png")));
  setFont(WindowFont());
  BuildControls();
  BuildMenus();
  SetTabOrder();
  StartInCurrentFolder();
  connect(dir1_, &FolderList::pathChanged, this, &MainWindow::FolderChangeStep);
  connect(dir1_, &FolderList::entryClicked, this, &MainWindow::FolderClickStep);
  connect(drive1_, &DriveList::driveChanged, this, &MainWindow::DriveChangeStep);
  connect(cmd_go_, &QPushButton::clicked, this, &MainWindow::GoClicked);
  Load();
  adjustSize();
  move(screen()->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  const TwipScale scale(logicalDpiY());
  auto* client = new ClientArea([this](int width, int height) { ApplyLayout(width, height); });
  setCentralWidget(client);
  drive1_ = new DriveList(volumes_, client);
  dir1_ = new FolderList(file_system_, volumes_, client);
  frm_options_ = new QGroupBox(QStringLiteral("Options"), client);
  frm_options_->setObjectName(QStringLiteral("frmOptions"));
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i) {
    const OptionBox& box = kOptionBoxes[i];
    option_boxes_[i] = new QCheckBox(ShownText(box.text), frm_options_);
    option_boxes_[i]->setObjectName(ShownText(box.name));
    option_boxes_[i]->setChecked(OrganizeOptions{}.*box.field != 0);
    PixelRect place = scale.Pixels(box.position);
    place.width = std::max(place.width, option_boxes_[i]->sizeHint().width());
    Place(option_boxes_[i], place);
    text_widths_.widest_option = std::max(text_widths_.widest_option, place.width);
  }
  cmd_go_ = new QPushButton(QStringLiteral("Go!"), client);
  cmd_go_->setObjectName(QStringLiteral("cmdGo"));
  cmd_go_->setFont(WindowFont(24));
  label1_ = new QLabel(QStringLiteral("Chosen Path:"), client);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setFont(WindowFont(12));
  text_widths_.label1 = label1_->sizeHint().width();
  const PixelSize minimum = MinimumClientSize(scale, text_widths_);
  client->setMinimumSize(minimum.width, minimum.height);
  lbl_path_ = new QLabel(client);
  lbl_path_->setObjectName(QStringLiteral("lblPath"));
  lbl_path_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  lbl_path_->setAutoFillBackground(true);
  QPalette palette = lbl_path_->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Base));
  palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
  lbl_path_->setPalette(palette);
  progress_ = new QLabel(this);
  progress_->setObjectName(QStringLiteral("progress"));
  statusBar()->addWidget(progress_, 1);
  hint_ = new QLabel(this);
  hint_->setObjectName(QStringLiteral("id3v2Hint"));
  statusBar()->addWidget(hint_);
  chk_id3v2_ = new QCheckBox(ShownText(kId3v2Box.text), this);
  chk_id3v2_->setObjectName(ShownText(kId3v2Box.name));
  chk_id3v2_->setChecked(OrganizeOptions{}.*kId3v2Box.field != 0);
  statusBar()->addPermanentWidget(chk_id3v2_);
}

void MainWindow::BuildMenus() {
  mnu_file_ = menuBar()->addMenu(QStringLiteral("File"));
  mnu_file_->setObjectName(QStringLiteral("mnuFile"));
  QAction* quit = mnu_file_->addAction(QStringLiteral("Quit"), this, &MainWindow::QuitStep);
  quit->setObjectName(QStringLiteral("mnuQuit"));
  mnu_help_ = menuBar()->addMenu(QStringLiteral("Help"));
  mnu_help_->setObjectName(QStringLiteral("mnuHelp"));
  QAction* about =
      mnu_help_->addAction(QStringLiteral("About"), this, [this] { AboutWindow::ShowModal(this); });
  about->setObjectName(QStringLiteral("mnuAbout"));
}

void MainWindow::SetTabOrder() {
  setTabOrder(drive1_, dir1_);
  setTabOrder(dir1_, cmd_go_);
  QWidget* previous = cmd_go_;
  for (QCheckBox* box : option_boxes_) {
    setTabOrder(previous, box);
    previous = box;
  }
  drive1_->setFocus();
}

void MainWindow::ApplyLayout(int width, int height) {
  const MainWindowLayout layout =
      LayOutMainWindow(TwipScale(logicalDpiY()), text_widths_, width, height);
  Place(drive1_, layout.Drive1);
  Place(dir1_, layout.Dir1);
  Place(frm_options_, layout.frmOptions);
  Place(cmd_go_, layout.cmdGo);
  Place(label1_, layout.Label1);
  Place(lbl_path_, layout.lblPath);
}

// Both lists start at the process's current folder, as at design time;
// nothing is raised yet because no step is connected.
void MainWindow::StartInCurrentFolder() {
  const std::string folder = ProcessCurrentFolder();
  const std::size_t volume = volumes_.VolumeOf(folder);
  drive1_->ShowDriveQuietly(volume);
  if (!dir1_->SetPath(folder) && !dir1_->SetPath(volumes_.CurrentFolder(volume))) {
    dir1_->SetPath("/");
  }
  volumes_.RememberFolder(dir1_->path());
  connect(dir1_, &FolderList::pathChanged, this,
          [this] { volumes_.RememberFolder(dir1_->path()); });
}

void MainWindow::Load() {
  setWindowTitle(windowTitle() + QStringLiteral(" (Version ") + ShownText(VersionText()) + ')');
  FillGenreTable();
  const OrganizeOptions options = ReadStoredOptions(registry_, CurrentOptions());
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i) {
    option_boxes_[i]->setChecked(options.*kOptionBoxes[i].field != 0);
  }
  chk_id3v2_->setChecked(options.*kId3v2Box.field != 0);
  ApplyStartPath();
  FolderClickStep();
}

// A stored path of two characters or fewer is never tried. One that names a
// file or a folder that cannot be listed is ignored like a missing one, so
// the lists are either moved to it completely or not at all.
void MainWindow::ApplyStartPath() {
  const std::string start_path = AddBackslash(ReadStartPath(registry_));
  if (start_path.size() <= 2 || start_path.front() != '/') return;
  if (!PathExists(file_system_, start_path) || !dir1_->CanOpen(start_path)) return;
  drive1_->SetDrive(volumes_.VolumeOf(NormalFolderPath(start_path)));
  dir1_->SetPath(start_path);
}

void MainWindow::FolderChangeStep() { SetChosenPath(AddBackslash(dir1_->path())); }

void MainWindow::FolderClickStep() {
  const std::string path = AddBackslash(dir1_->HighlightedPath());
  if (path != chosen_path_) SetChosenPath(path);
}

void MainWindow::DriveChangeStep() {
  if (dir1_->SetPath(volumes_.CurrentFolder(drive1_->drive()))) return;
  dialogs_.ShowMessage(this, "Device Not Ready", std::string(kProductTitle));
  drive1_->SetDrive(volumes_.VolumeOf(dir1_->path()));
}

void MainWindow::SetChosenPath(const std::string& path) {
  chosen_path_ = path;
  lbl_path_->setText(ShownText(path));
  lbl_path_->setToolTip(lbl_path_->text());
}

void MainWindow::QuitStep() {
  UnloadReportWindow();
  close();
}

// A close asked for while a run is active (the close box works during the
// searches) waits for the run's end; then the unload runs as usual.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (organizer_.running()) {
    close_after_run_ = true;
    event->ignore();
    return;
  }
  if (!unloaded_) {
    unloaded_ = true;
    UnloadReportWindow();
    SaveSettings();
  }
  event->accept();
}

void MainWindow::UnloadReportWindow() { delete report_window_.data(); }

void MainWindow::SaveSettings() { SaveWindowSettings(registry_, chosen_path_, CurrentOptions()); }

}  // namespace quillfold
