// Opens the desktop program's three windows on a small sample collection and
// saves a picture of each into the folder given as the only argument. Run it
// on a real display server (scripts/screenshots.sh uses Xvfb) to check the
// layout by eye: main_window.png, report_window.png, about_window.png.

#include <stdlib.h>

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/about_window.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/storage_volume_source.h"
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
  return base.string() + "/";
}

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
    quillfold::MainWindow window(quillfold::RealFileSystem(), registry, volumes, dialogs);
    window.show();
    all_saved &= Save(window, output / "main_window.png");
    window.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click();
    all_saved &= window.report_window() != nullptr &&
                 Save(*window.report_window(), output / "report_window.png");
    quillfold::AboutWindow about(&window);
    about.show();
    all_saved &= Save(about, output / "about_window.png");
  }
  fs::remove_all(scratch);
  return all_saved ? 0 : 1;
}
