#include <gtest/gtest.h>

#include <tuple>

#include "app/storage_volume_source.h"
#include "app/volume_table.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

std::vector<std::string> MountPoints(const VolumeTable& table) {
  std::vector<std::string> points;
  for (const Volume& volume : table.volumes()) points.push_back(volume.mount_point);
  return points;
}

TEST(VolumeTableTest, RootComesFirstAndEachVolumeOnce) {
  const VolumeTable table({{"/media/b", "B"}, {"/", "root"}, {"/media/a/", "A"}, {"/media/b", ""}});
  EXPECT_EQ(MountPoints(table), (std::vector<std::string>{"/", "/media/a", "/media/b"}));
  EXPECT_EQ(table.volumes()[0].label, "root");
  const VolumeTable without_root(std::vector<Volume>{{"/home", ""}});
  EXPECT_EQ(MountPoints(without_root), (std::vector<std::string>{"/", "/home"}));
}

// The drive of a path is the volume whose mount point is its longest
// whole-component prefix.
TEST(VolumeTableTest, VolumeOfAPathIsTheLongestMountPointPrefix) {
  const VolumeTable table({{"/", ""}, {"/home", ""}, {"/home/u/stick", ""}, {"/media/usb", ""}});
  const struct {
    const char* path;
    const char* mount_point;
  } cases[] = {
      {"/", "/"},
      {"/etc", "/"},
      {"/home", "/home"},
      {"/home/u", "/home"},
      {"/home/u/stick", "/home/u/stick"},
      {"/home/u/stick/x", "/home/u/stick"},
      {"/home/u/sticker", "/home"},
      {"/homework", "/"},
      {"/media/usb2/x", "/"},
      {"/media/usb/x", "/media/usb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.volumes()[table.VolumeOf(c.path)].mount_point, c.mount_point) << c.path;
  }
}

// Mount points come through byte for byte, blanks (written \\040 in the
// table) and bytes that are not UTF-8 included; tmpfs, a file and a folder
// that is gone are not offered.
TEST(StorageVolumeSourceTest, MountPointsKeepTheirBytes) {
  testing::TempFolder temp;
  const std::string t = temp.path();
  testing::MakeFolders(t + "caf\xE9");
  testing::MakeFolders(t + "my stick");
  testing::WriteFile(t + "hosts", "");
  std::string table = "/dev/vda1 / ext4 rw 0 0\n";
  for (const auto& [device, place, type] :
       {std::tuple("/dev/sdb1", "caf\xE9", "vfat"),
        std::tuple("/dev/sdc1", "my\\040stick", "exfat"), std::tuple("tmpfs", "", "tmpfs"),
        std::tuple("/dev/vda1", "hosts", "ext4"), std::tuple("/dev/sdd1", "gone", "ext4")}) {
    table += std::string(device) + " " + t + place + " " + type + " rw 0 0\n";
  }
  testing::WriteFile(t + "mounts", table);
  std::vector<std::string> mount_points;
  for (const Volume& volume : VolumesInMountTable(t + "mounts")) {
    mount_points.push_back(volume.mount_point);
  }
  EXPECT_EQ(mount_points, (std::vector<std::string>{"/", t + "caf\xE9", t + "my stick"}));
}

}  // namespace
}  // namespace quillfold
