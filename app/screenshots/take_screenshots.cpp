// Opens the desktop program's three windows on a small sample collection and
// saves a picture of each into the folder given as the only argument. Run it
// on a real display server (scripts/screenshots.sh uses Xvfb) to check the
// layout by eye: main_window.png; a real run on a slowed-down disk with
// running_main.png and running_report.png taken part-way, stop_question.png
// (the close box during the run, answered No) and report_window.png at its
// end; undo_list.png (File > Undo Last Run...), undo_preview.png (the
// report-only pass under the undo's question, answered Yes) and
// undo_stopped.png (the undo stopped part-way by Stop); about_window.png.

#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/about_window.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/storage_volume_source.h"
#include "platform/forwarding_file_system.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "product/program_usage.h"
#include "settings/file_registry.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace {

namespace fs = std::filesystem;

void WriteTrack(const fs::path& path, const std::string& title, const std::string& artist,
                const std::string& album, int track) {
  fs::create_directories(path.parent_path());
  std::string tag(128, '\0');
  tag.replace(0, 3, "TAG");
  tag.replace(3, title.size(), title);
  tag.replace(33, artist.size(), artist);
  tag.replace(63, album.size(), album);
  tag[126] = static_cast<char>(track);
  tag[127] = static_cast<char>(12);
  std::ofstream(path, std::ios::binary) << std::string(512, '\x55') << tag;
}

// A base folder with a few loose tracks and folders to click through.
std::string MakeSampleCollection(const fs::path& root) {
  const fs::path base = root / "Music";
  WriteTrack(base / "incoming" / "track01.mp3", "Harbour Lights", "The Quiet Coast", "Low Tide", 1);
  WriteTrack(base / "incoming" / "track02.mp3", "Salt and Rope", "The Quiet Coast", "Low Tide", 2);
  WriteTrack(base / "old stuff" / "song.mp3", "Paper Moon Waltz", "Ada Fenwick", "", 7);
  WriteTrack(base / "unknown.mp3", "", "", "", 0);
  fs::create_directories(base / "Podcasts");
  for (int i = 1; i <= 30; ++i) {
    WriteTrack(base / "rips" / ("cd" + std::to_string(i) + ".mp3"), "Song " + std::to_string(i),
               "Ada Fenwick", "Night Ferry", i);
  }
  return base.string() + "/";
}

// Each tag read and each move waits, so that a run or an undo of a few
// dozen files lasts seconds.
class SlowFileSystem final : public quillfold::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  quillfold::RenameOutcome RenameNoReplace(const std::string& from,
                                           const std::string& to) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    return ForwardingFileSystem::RenameNoReplace(from, to);
  }
  quillfold::TailRead ReadOrdinaryFileTail(const std::string& path,
                                           std::span<std::uint8_t> tail) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    return ForwardingFileSystem::ReadOrdinaryFileTail(path, tail);
  }
};

void Settle() {
  QEventLoop loop;
  QTimer::singleShot(400, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& window, const fs::path& file) {
  Settle();
  const QPixmap picture = window.screen()->grabWindow(window.winId());
  const bool saved = picture.save(QString::fromStdString(file.string()), "PNG");
  std::printf("%s %s\n", saved ? "saved" : "could not save", file.c_str());
  return saved;
}

// Calls `act` with the next modal box once it is shown.
void OnNextModal(std::function<void(QMessageBox&)> act) {
  auto* poll = new QTimer;
  poll->setInterval(50);
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*box);
  });
  poll->start();
}

// Saves the box, then answers it with `button`.
void SaveAndAnswer(QMessageBox& box, const fs::path& file, QMessageBox::StandardButton button,
                   bool& all_saved) {
  all_saved &= Save(box, file);
  box.button(button)->click();
}

// A real run on the slow disk: pictures part-way, the close box's question
// answered No, and the report at the end.
void TakeRun(quillfold::MainWindow& window, const fs::path& output, bool& all_saved) {
  window.findChild<QCheckBox*>(QStringLiteral("chkDontDo"))->setChecked(false);
  OnNextModal([&](QMessageBox& confirm) { confirm.button(QMessageBox::Yes)->click(); });
  QTimer::singleShot(1200, [&] {
    window.report_window()->lower();
    all_saved &= Save(window, output / "running_main.png");
    window.report_window()->raise();
    all_saved &= Save(*window.report_window(), output / "running_report.png");
    OnNextModal([&](QMessageBox& box) {
      SaveAndAnswer(box, output / "stop_question.png", QMessageBox::No, all_saved);
    });
    window.close();
  });
  window.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click();
  all_saved &= Save(*window.report_window(), output / "report_window.png");
}

// The undo: its list, its preview under the question (answered Yes), and
// the real undo stopped part-way by Stop.
void TakeUndo(quillfold::MainWindow& window, const fs::path& output, bool& all_saved) {
  OnNextModal([&](QMessageBox& list) {
    SaveAndAnswer(list, output / "undo_list.png", QMessageBox::Yes, all_saved);
    OnNextModal([&](QMessageBox& question) {
      all_saved &= Save(*window.report_window(), output / "undo_preview.png");
      QTimer::singleShot(1000,
                         [&] { window.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click(); });
      question.button(QMessageBox::Yes)->click();
    });
  });
  window.findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
  all_saved &= Save(*window.report_window(), output / "undo_stopped.png");
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 || argv[1][0] == '-') {
    const bool asked = quillfold::AsksForHelp(argc, argv);
    std::fprintf(asked ? stdout : stderr,
                 "usage: %s OUTPUT_FOLDER\nSaves pictures of the three windows.\n", argv[0]);
    return asked ? 0 : 2;
  }
  QApplication application(argc, argv);
  const fs::path output = argv[1];
  fs::create_directories(output);
  std::string scratch = (fs::temp_directory_path() / "quillfold-screenshots-XXXXXX").string();
  if (mkdtemp(scratch.data()) == nullptr) return 1;

  quillfold::FileRegistry registry(scratch + "/hive");
  quillfold::EnsureRegKey(registry, quillfold::kSettingsRoot, quillfold::kSettingsKeyPath);
  quillfold::WriteSetting(registry, quillfold::kSettingsRoot, quillfold::kSettingsKeyPath,
                          "StartPath", quillfold::RegValue(MakeSampleCollection(scratch)),
                          quillfold::REG_SZ);
  quillfold::StorageVolumeSource volumes;
  quillfold::MessageBoxDialogs dialogs;
  bool all_saved = true;
  {
    SlowFileSystem slow(quillfold::RealFileSystem());
    quillfold::PosixJournalStorage journals(scratch + "/journals");
    quillfold::MainWindow window(slow, registry, volumes, dialogs, &journals);
    window.show();
    all_saved &= Save(window, output / "main_window.png");
    TakeRun(window, output, all_saved);
    TakeUndo(window, output, all_saved);
    quillfold::AboutWindow about(&window);
    about.show();
    all_saved &= Save(about, output / "about_window.png");
  }
  fs::remove_all(scratch);
  return all_saved ? 0 : 1;
}
