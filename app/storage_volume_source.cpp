#include "app/storage_volume_source.h"

#include <QFileInfo>
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

namespace {

// The root always; other volumes when they hold a real file system mounted
// on a folder (containers also mount files, such as /etc/hosts, over files).
bool Offered(const QStorageInfo& storage) {
  if (storage.rootPath() == QStringLiteral("/")) return true;
  return !IsPseudoFileSystem(storage.fileSystemType().toStdString()) &&
         QFileInfo(storage.rootPath()).isDir();
}

}  // namespace

std::vector<Volume> StorageVolumeSource::MountedVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    if (!Offered(storage)) continue;
    volumes.push_back(Volume{storage.rootPath().toStdString(), storage.name().toStdString()});
  }
  return volumes;
}

}  // namespace quillfold
