#include "platform/folder_entries.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/listing_order.h"

namespace quillfold {

ListingCalls SystemListingCalls() {
  return {
      [](DIR* dir) -> const dirent* { return readdir(dir); },
      [](int folder_fd, const char* name, struct stat* info) {
        return fstatat(folder_fd, name, info, AT_SYMLINK_NOFOLLOW);
      },
  };
}

unsigned char EntryType(const ListingCalls& calls, int folder_fd, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type;
  struct stat info {};
  if (calls.stat_entry(folder_fd, entry.d_name, &info) != 0) return DT_UNKNOWN;
  if (S_ISDIR(info.st_mode)) return DT_DIR;
  if (S_ISLNK(info.st_mode)) return DT_LNK;
  return DT_REG;
}

int ReadFolderEntries(const ListingCalls& calls, DIR* dir, int folder_fd, FolderListing& listing) {
  for (;;) {
    // Cleared before every call: only the read's own errno may end the
    // listing, not one an lstat for the entry before it left behind.
    errno = 0;
    const dirent* entry = calls.read_entry(dir);
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    switch (EntryType(calls, folder_fd, *entry)) {
      case DT_DIR:
        listing.folders.emplace_back(name);
        break;
      case DT_LNK:
        listing.links.emplace_back(name);
        break;
      default:
        listing.files.emplace_back(name);
    }
  }
  if (errno != 0) return errno;
  for (auto* names : {&listing.files, &listing.folders, &listing.links}) {
    std::sort(names->begin(), names->end(), ListingOrderLess);
  }
  return 0;
}

}  // namespace quillfold
