#include "app/volume_table.h"

#include <algorithm>

namespace quillfold {
namespace {

bool HoldsPath(const std::string& mount_point, const std::string& path) {
  if (mount_point == "/") return !path.empty() && path.front() == '/';
  return path.starts_with(mount_point) &&
         (path.size() == mount_point.size() || path[mount_point.size()] == '/');
}

std::vector<Volume> RootFirst(std::vector<Volume> volumes) {
  for (Volume& volume : volumes) volume.mount_point = NormalFolderPath(volume.mount_point);
  std::erase_if(volumes, [](const Volume& volume) { return volume.mount_point.empty(); });
  std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
    if ((a.mount_point == "/") != (b.mount_point == "/")) return a.mount_point == "/";
    return a.mount_point < b.mount_point;
  });
  volumes.erase(
      std::unique(volumes.begin(), volumes.end(),
                  [](const Volume& a, const Volume& b) { return a.mount_point == b.mount_point; }),
      volumes.end());
  if (volumes.empty() || volumes.front().mount_point != "/") {
    volumes.insert(volumes.begin(), Volume{"/", ""});
  }
  return volumes;
}

}  // namespace

std::string NormalFolderPath(std::string_view path) {
  std::string normal;
  for (char c : path) {
    if (c == '/' && !normal.empty() && normal.back() == '/') continue;
    normal.push_back(c);
  }
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

VolumeTable::VolumeTable(std::vector<Volume> volumes) : volumes_(RootFirst(std::move(volumes))) {}

std::size_t VolumeTable::VolumeOf(const std::string& path) const {
  std::size_t best = 0;
  for (std::size_t i = 1; i < volumes_.size(); ++i) {
    const std::string& mount_point = volumes_[i].mount_point;
    if (HoldsPath(mount_point, path) && mount_point.size() > volumes_[best].mount_point.size()) {
      best = i;
    }
  }
  return best;
}

std::string VolumeTable::CurrentFolder(std::size_t index) const {
  auto found = current_folders_.find(index);
  return found != current_folders_.end() ? found->second : volumes_.at(index).mount_point;
}

void VolumeTable::RememberFolder(const std::string& folder) {
  current_folders_[VolumeOf(folder)] = folder;
}

}  // namespace quillfold
