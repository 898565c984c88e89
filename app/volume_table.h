#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// One mounted volume as the drive list shows it.
struct Volume {
  std::string mount_point;  // "/", "/media/stick": no trailing separator but for the root
  std::string label;        // may be empty
};

// Where the drive list gets its volumes from: the system in the program, a
// fixed list in tests.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  virtual std::vector<Volume> MountedVolumes() = 0;
};

// A folder path in the form the folder list uses: separators not doubled,
// no trailing separator except for the root "/" itself. "" stays "".
std::string NormalFolderPath(std::string_view path);

// The volumes the drive list offers, the root "/" always first (added when
// the source lacks it), the others in mount-point order, each once. Also
// remembers each volume's current folder, so that choosing a volume again
// returns to the folder last shown on it, as a drive letter does.
class VolumeTable {
 public:
  explicit VolumeTable(std::vector<Volume> volumes);

  const std::vector<Volume>& volumes() const { return volumes_; }

  // The index of the volume holding `path` (a normal absolute path): the one
  // whose mount point is the longest whole-component prefix of it. Paths on
  // no listed volume belong to the root.
  std::size_t VolumeOf(const std::string& path) const;

  // The folder last remembered for volume `index`; its mount point when none.
  std::string CurrentFolder(std::size_t index) const;
  // Remembers `folder` as the current folder of the volume holding it.
  void RememberFolder(const std::string& folder);

 private:
  std::vector<Volume> volumes_;
  std::map<std::size_t, std::string> current_folders_;
};

}  // namespace quillfold
