#include "app/storage_volume_source.h"

#include <QStorageInfo>
#include <algorithm>
#include <array>

namespace quillfold {

bool IsPseudoFileSystem(std::string_view type) {
  static constexpr std::array<std::string_view, 24> kPseudoTypes = {
      "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2", "configfs",
      "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl", "hugetlbfs",
      "mqueue",     "nsfs",        "overlay",  "proc",     "pstore",  "ramfs",
      "rpc_pipefs", "securityfs",  "squashfs", "sysfs",    "tmpfs",   "tracefs"};
  return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end();
}

std::vector<Volume> StorageVolumeSource::MountedVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    const std::string mount_point = storage.rootPath().toStdString();
    if (mount_point != "/" && IsPseudoFileSystem(storage.fileSystemType().toStdString())) continue;
    volumes.push_back(Volume{mount_point, storage.name().toStdString()});
  }
  return volumes;
}

}  // namespace quillfold
