#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/qt_error_reporter_host.h"
#include "app/storage_volume_source.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"
#include "product/product.h"
#include "product/program_usage.h"
#include "settings/file_registry.h"

int main(int argc, char* argv[]) {
  // Help needs no display: answered before Qt looks for one.
  if (quillfold::AsksForHelp(argc, argv)) {
    std::printf(
        "usage: %s [--version] [Qt options such as -platform NAME]\n"
        "Puts a folder of MP3 files in order, in a window; quillfold-cli does it from the "
        "command line.\n",
        argv[0]);
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillfold"));
  QApplication::setDesktopFileName(QStringLiteral("quillfold"));
  QApplication::setApplicationVersion(QString::fromStdString(quillfold::VersionText()));

  // Answers --version and refuses an unknown option before any window opens
  // (Qt has taken its own options, such as -platform, by now).
  QCommandLineParser arguments;
  arguments.setApplicationDescription(QStringLiteral("Puts a folder of MP3 files in order."));
  arguments.addHelpOption();
  arguments.addVersionOption();
  arguments.process(application);

  quillfold::QtErrorReporterHost error_reporter_host;
  quillfold::InstallErrorReporterHost(&error_reporter_host);

  quillfold::FileRegistry registry(quillfold::DefaultHiveFolder());
  quillfold::StorageVolumeSource volumes;
  quillfold::MessageBoxDialogs dialogs;
  quillfold::PosixJournalStorage journals(quillfold::DefaultJournalFolder());
  quillfold::ReadAheadFileSystem file_system(quillfold::RealFileSystem(),
                                             quillfold::kDefaultReadAheadJobs);
  quillfold::MainWindow window(file_system, registry, volumes, dialogs, &journals);
  window.show();
  const int status = QApplication::exec();
  quillfold::InstallErrorReporterHost(nullptr);
  return status;
}
