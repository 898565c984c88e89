// Folder listings on fake system calls: entries whose type the file system
// leaves unknown, and an lstat of one of them failing on the way.
#include "platform/folder_entries.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace quillfold {
namespace {

using Names = std::vector<std::string>;

// The fake folder: every entry's d_type is DT_UNKNOWN; `mode` is what its
// lstat finds, 0 for an lstat that fails with EACCES.
struct FakeEntry {
  const char* name;
  mode_t mode;
};
std::vector<FakeEntry> entries;
std::size_t next_entry = 0;
int read_error = 0;  // what the read after the last entry fails with; 0: the end
dirent current{};

const dirent* ReadEntry(DIR*) {
  if (next_entry == entries.size()) {
    if (read_error != 0) errno = read_error;
    return nullptr;
  }
  current = dirent{};
  current.d_type = DT_UNKNOWN;
  std::strncpy(current.d_name, entries[next_entry++].name, sizeof current.d_name - 1);
  return &current;
}

int StatEntry(int, const char* name, struct stat* info) {
  for (const FakeEntry& entry : entries) {
    if (std::strcmp(entry.name, name) != 0) continue;
    if (entry.mode == 0) break;
    info->st_mode = entry.mode;
    return 0;
  }
  errno = EACCES;
  return -1;
}

FolderListing List(std::vector<FakeEntry> folder, int error_at_end, int& error) {
  entries = std::move(folder);
  next_entry = 0;
  read_error = error_at_end;
  FolderListing listing;
  error = ReadFolderEntries({ReadEntry, StatEntry}, nullptr, -1, listing);
  return listing;
}

// A failed lstat of one entry leaves it a file; a failed read fails the
// listing.
TEST(FolderEntriesTest, OnlyAFailedReadFailsTheListing) {
  for (const int error_at_end : {0, EIO}) {
    int error = -1;
    const FolderListing listing = List({{".", S_IFDIR},
                                        {"locked.mp3", 0},
                                        {"b.mp3", S_IFREG},
                                        {"Sub", S_IFDIR},
                                        {"link", S_IFLNK},
                                        {"a.mp3", S_IFREG}},
                                       error_at_end, error);
    EXPECT_EQ(error, error_at_end);
    if (error_at_end != 0) continue;
    EXPECT_EQ(std::tie(listing.files, listing.folders, listing.links),
              std::tuple(Names{"a.mp3", "b.mp3", "locked.mp3"}, Names{"Sub"}, Names{"link"}));
  }
}

}  // namespace
}  // namespace quillfold
