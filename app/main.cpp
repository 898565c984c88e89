#include <QApplication>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/qt_error_reporter_host.h"
#include "app/storage_volume_source.h"
#include "settings/file_registry.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillfold"));
  QApplication::setDesktopFileName(QStringLiteral("quillfold"));

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
