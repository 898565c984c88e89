#pragma once

#include <string_view>

#include "app/volume_table.h"

namespace quillfold {

// The system's mounted volumes (QStorageInfo): real file systems only, so
// the kernel's and the desktop's pseudo file systems stay out of the list.
class StorageVolumeSource final : public VolumeSource {
 public:
  std::vector<Volume> MountedVolumes() override;
};

// True for file system types that hold no user music: the kernel's views
// (proc, sysfs...), memory file systems, and read-only package images.
bool IsPseudoFileSystem(std::string_view type);

}  // namespace quillfold
