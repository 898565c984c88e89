#include "app/storage_volume_source.h"

#include <mntent.h>
#include <sys/stat.h>

#include <QStorageInfo>
#include <algorithm>
#include <array>
#include <memory>

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
bool Offered(const std::string& mount_point, std::string_view type) {
  if (mount_point == "/") return true;
  struct stat info {};
  return !IsPseudoFileSystem(type) && stat(mount_point.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

// The label Qt finds for a volume. Qt takes paths as Unicode text, so a
// mount point that is not valid UTF-8 would lead it to another volume's.
std::string LabelOf(const std::string& mount_point) {
  const QString text = QString::fromUtf8(mount_point);
  if (text.toUtf8().toStdString() != mount_point) return {};
  const QStorageInfo storage(text);
  return storage.rootPath() == text ? storage.name().toStdString() : std::string();
}

}  // namespace

std::vector<Volume> VolumesInMountTable(const std::string& table_path) {
  std::vector<Volume> volumes;
  const std::unique_ptr<FILE, int (*)(FILE*)> table(setmntent(table_path.c_str(), "r"), endmntent);
  if (!table) return volumes;
  mntent entry{};
  char buffer[4096];
  while (getmntent_r(table.get(), &entry, buffer, sizeof buffer) != nullptr) {
    std::string mount_point = entry.mnt_dir;
    if (!Offered(mount_point, entry.mnt_type)) continue;
    volumes.push_back(Volume{mount_point, LabelOf(mount_point)});
  }
  return volumes;
}

std::vector<Volume> StorageVolumeSource::MountedVolumes() {
  return VolumesInMountTable("/proc/self/mounts");
}

}  // namespace quillfold
