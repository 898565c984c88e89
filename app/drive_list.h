#pragma once

#include <QComboBox>
#include <string>

#include "app/volume_table.h"

namespace quillfold {

// Drive1: the mounted volumes, each shown by its mount point and label.
// Choosing a volume, by the user or through SetDrive, emits driveChanged.
class DriveList final : public QComboBox {
  Q_OBJECT

 public:
  DriveList(const VolumeTable& volumes, QWidget* parent);

  // The index (into the volume table) of the volume shown.
  std::size_t drive() const;
  // Shows volume `index`; emits driveChanged when it differs from the shown one.
  void SetDrive(std::size_t index);
  // Shows volume `index` without emitting anything (the start-up state).
  void ShowDriveQuietly(std::size_t index);

 signals:
  void driveChanged();
};

// "/media/stick [STICK]", or the bare mount point when there is no label.
QString VolumeText(const Volume& volume);

}  // namespace quillfold
