#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/volume_table.h"

namespace quillfold {

// The system's mounted volumes, from the kernel's mount table: real file
// systems only, so the kernel's and the desktop's pseudo file systems stay
// out of the list. Mount points keep their bytes, whatever the encoding.
class StorageVolumeSource final : public VolumeSource {
 public:
  std::vector<Volume> MountedVolumes() override;
};

// True for file system types that hold no user music: the kernel's views
// (proc, sysfs...), memory file systems, and read-only package images.
bool IsPseudoFileSystem(std::string_view type);

// The volumes a table in the format of /proc/self/mounts offers, in its
// order; none when it cannot be read.
std::vector<Volume> VolumesInMountTable(const std::string& table_path);

}  // namespace quillfold
