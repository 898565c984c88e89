#include "app/drive_list.h"

#include <QSignalBlocker>

#include "app/shown_text.h"

namespace quillfold {

QString VolumeText(const Volume& volume) {
  QString text = ShownText(volume.mount_point);
  if (!volume.label.empty()) text += QStringLiteral("  [") + ShownText(volume.label) + ']';
  return text;
}

DriveList::DriveList(const VolumeTable& volumes, QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("Drive1"));
  for (const Volume& volume : volumes.volumes()) addItem(VolumeText(volume));
  connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

std::size_t DriveList::drive() const { return static_cast<std::size_t>(currentIndex()); }

void DriveList::SetDrive(std::size_t index) { setCurrentIndex(static_cast<int>(index)); }

void DriveList::ShowDriveQuietly(std::size_t index) {
  const QSignalBlocker quiet(this);
  SetDrive(index);
}

}  // namespace quillfold
