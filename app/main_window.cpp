#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/about_window.h"
#include "app/dialogs.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/option_boxes.h"
#include "app/path_box.h"
#include "app/report_window.h"
#include "app/shown_text.h"
#include "app/window_font.h"
#include "app/window_settings.h"
#include "platform/path_helpers.h"
#include "product/product.h"
#include "tags/genre_table.h"
#include "text/add_backslash.h"

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

// The design's dark red where it stays readable on the desktop's text
// background; the desktop's own text colour on a dark one.
QColor PathColour(const QPalette& palette) {
  return palette.color(QPalette::Base).lightness() >= 128 ? QColor(192, 0, 0)
                                                          : palette.color(QPalette::Text);
}

// The one local folder a drag carries, or "".
std::string DroppedFolder(const QMimeData* mime) {
  if (mime == nullptr || mime->urls().size() != 1 || !mime->urls()[0].isLocalFile()) return {};
  const QString path = mime->urls()[0].toLocalFile();
  return QFileInfo(path).isDir() ? path.toStdString() : std::string();
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
      journals_(journals),
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
  connect(lbl_path_, &QLineEdit::returnPressed, this,
          [this] { ChooseTypedPath(lbl_path_->text().toStdString()); });
  setAcceptDrops(true);
  Load();
  adjustSize();
  move(screen()->availableGeometry().center() - rect().center());
  RestoreWindowPlace();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  const TwipScale scale = WindowScale(*this);
  auto* client = new ClientArea([this](int width, int height) { ApplyLayout(width, height); });
  setCentralWidget(client);
  drive1_ = new DriveList(volumes_, client);
  dir1_ = new FolderList(file_system_, volumes_, client);
  frm_options_ = new QGroupBox(QStringLiteral("Options"), client);
  frm_options_->setObjectName(QStringLiteral("frmOptions"));
  for (std::size_t i = 0; i < kOptionBoxes.size(); ++i) {
    const OptionBox& box = kOptionBoxes[i];
    option_boxes_[i] = new QCheckBox(ShownText(box.text), frm_options_);
    option_boxes_[i]->setObjectName(ShownText(box.option->name));
    option_boxes_[i]->setChecked(OrganizeOptions{}.*box.option->field != 0);
    PixelRect place = scale.Pixels(box.position);
    place.width = std::max(place.width, option_boxes_[i]->sizeHint().width());
    Place(option_boxes_[i], place);
    text_widths_.widest_option = std::max(text_widths_.widest_option, place.width);
  }
  cmd_go_ = new QPushButton(QStringLiteral("Go!"), client);
  cmd_go_->setObjectName(QStringLiteral("cmdGo"));
  cmd_go_->setAccessibleName(QStringLiteral("Go"));
  // A focused button answers Enter as well as Space.
  cmd_go_->setAutoDefault(true);
  cmd_go_->setFont(WindowFont(24));
  label1_ = new QLabel(QStringLiteral("Chosen Path:"), client);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setFont(WindowFont(12));
  text_widths_.label1 = label1_->sizeHint().width();
  const PixelSize minimum = MinimumClientSize(scale, text_widths_);
  client->setMinimumSize(minimum.width, minimum.height);
  BuildPathBox(client);
  progress_ = new QLabel(this);
  progress_->setObjectName(QStringLiteral("progress"));
  statusBar()->addWidget(progress_, 1);
  elapsed_ = new QLabel(this);
  elapsed_->setObjectName(QStringLiteral("elapsed"));
  statusBar()->addPermanentWidget(elapsed_);
  elapsed_timer_ = new QTimer(this);
  elapsed_timer_->setInterval(1000);
  connect(elapsed_timer_, &QTimer::timeout, this, &MainWindow::ShowElapsed);
  hint_ = new QLabel(this);
  hint_->setObjectName(QStringLiteral("id3v2Hint"));
  statusBar()->addWidget(hint_);
  chk_id3v2_ = new QCheckBox(ShownText(kId3v2Box.text), this);
  chk_id3v2_->setObjectName(ShownText(kId3v2Box.option->name));
  chk_id3v2_->setChecked(OrganizeOptions{}.*kId3v2Box.option->field != 0);
  statusBar()->addPermanentWidget(chk_id3v2_);
  chk_id3v2_->setAccessibleName(chk_id3v2_->text());
  drive1_->setAccessibleName(QStringLiteral("Drive"));
  dir1_->setAccessibleName(QStringLiteral("Folders"));
  frm_options_->setAccessibleName(QStringLiteral("Options"));
  for (QCheckBox* box : option_boxes_) box->setAccessibleName(box->text());
}

// lblPath shows the chosen path; the user may also type one (Enter takes
// it, with folder names offered and Tab completing them), which is checked
// like a click.
void MainWindow::BuildPathBox(QWidget* client) {
  lbl_path_ = new PathBox(
      [this](const std::string& folder) { return dir1_->SubfolderNames(folder); }, client);
  lbl_path_->setObjectName(QStringLiteral("lblPath"));
  lbl_path_->setAccessibleName(QStringLiteral("Chosen path"));
  lbl_path_->setTextMargins(0, 0, 0, 0);
  QPalette palette = lbl_path_->palette();
  palette.setColor(QPalette::Text, PathColour(palette));
  lbl_path_->setPalette(palette);
  auto* folders = new QFileSystemModel(lbl_path_);
  folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  folders->setRootPath(QString());
  lbl_path_->setCompleter(new QCompleter(folders, lbl_path_));
  label1_->setBuddy(lbl_path_);
}

void MainWindow::BuildMenus() {
  mnu_file_ = menuBar()->addMenu(QStringLiteral("&File"));
  mnu_file_->setObjectName(QStringLiteral("mnuFile"));
  QAction* undo =
      mnu_file_->addAction(QStringLiteral("&Undo Last Run..."), this, &MainWindow::UndoStep);
  undo->setObjectName(QStringLiteral("mnuUndo"));
  undo->setEnabled(journals_ != nullptr);
  mnu_file_->addSeparator();
  QAction* quit = mnu_file_->addAction(QStringLiteral("E&xit"), this, &MainWindow::QuitStep);
  quit->setObjectName(QStringLiteral("mnuQuit"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  mnu_help_ = menuBar()->addMenu(QStringLiteral("&Help"));
  mnu_help_->setObjectName(QStringLiteral("mnuHelp"));
  QAction* about = mnu_help_->addAction(QStringLiteral("&About"), this, [this] {
    if (!run_active_) AboutWindow::ShowModal(this);
  });
  about->setObjectName(QStringLiteral("mnuAbout"));
  about->setShortcut(QKeySequence(Qt::Key_F1));
}

void MainWindow::SetTabOrder() {
  setTabOrder(drive1_, dir1_);
  setTabOrder(dir1_, cmd_go_);
  QWidget* previous = cmd_go_;
  for (QCheckBox* box : option_boxes_) {
    setTabOrder(previous, box);
    previous = box;
  }
  setTabOrder(previous, lbl_path_);
  drive1_->setFocus();
  // The styles draw a focus mark only after the keyboard moved the focus;
  // the drive list starts with the focus and shows it, as designed.
  setAttribute(Qt::WA_KeyboardFocusChange);
}

void MainWindow::ApplyLayout(int width, int height) {
  const MainWindowLayout layout = LayOutMainWindow(WindowScale(*this), text_widths_, width, height);
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
    option_boxes_[i]->setChecked(options.*kOptionBoxes[i].option->field != 0);
  }
  chk_id3v2_->setChecked(options.*kId3v2Box.option->field != 0);
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

// A typed or dropped folder passes the checks of a stored start path: it
// must be absolute and a folder the list can open. The lists then move to
// it as if it had been opened there, and it becomes the chosen path.
void MainWindow::ChooseTypedPath(const std::string& path) {
  const std::string folder = NormalFolderPath(path);
  if (run_active_) return;
  if (folder.empty() || folder.front() != '/' || !PathExists(file_system_, AddBackslash(folder)) ||
      !dir1_->CanOpen(folder)) {
    dialogs_.ShowMessage(this, "\"" + path + "\" is not a folder that can be opened.",
                         std::string(kProductTitle));
    SetChosenPath(chosen_path_);
    return;
  }
  const std::size_t volume = volumes_.VolumeOf(folder);
  if (volume != drive1_->drive()) drive1_->ShowDriveQuietly(volume);
  dir1_->SetPath(folder);
  SetChosenPath(AddBackslash(folder));
}

// Esc stops a run; the controls that could use it are disabled meanwhile.
void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && run_active_) return RequestStop();
  QMainWindow::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!run_active_ && !DroppedFolder(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const std::string folder = DroppedFolder(event->mimeData());
  if (run_active_ || folder.empty()) return;
  event->acceptProposedAction();
  ChooseTypedPath(folder);
}

// During a run, Quit (Ctrl+Q) is the close box: it asks whether to stop.
void MainWindow::QuitStep() {
  if (!run_active_) UnloadReportWindow();
  close();
}

void MainWindow::UnloadReportWindow() { delete report_window_.data(); }

void MainWindow::SaveSettings() {
  SaveWindowSettings(registry_, chosen_path_, CurrentOptions());
  SaveWindowPlaces(registry_, {normalGeometry(), isMaximized(), report_size_});
}

// The stored place is used only when it still lies on a screen, so a
// window is never restored out of sight.
void MainWindow::RestoreWindowPlace() {
  const WindowPlaces places = ReadWindowPlaces(registry_);
  report_size_ = places.report_size;
  if (!places.main.isValid() || QGuiApplication::screenAt(places.main.center()) == nullptr) return;
  setGeometry(QRect(places.main.topLeft(), places.main.size().expandedTo(minimumSizeHint())));
  if (places.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

}  // namespace quillfold
