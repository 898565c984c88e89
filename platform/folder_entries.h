#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include "platform/file_system.h"

namespace quillfold {

// The calls a folder listing is made of; a test puts in its own. Each sets
// errno as the real one does.
struct ListingCalls {
  // The next entry of `dir`, or null at the end or on failure.
  const dirent* (*read_entry)(DIR* dir);
  // lstat of `name` in the folder `folder_fd`: 0, or -1.
  int (*stat_entry)(int folder_fd, const char* name, struct stat* info);
};
ListingCalls SystemListingCalls();

// The type of `entry` (DT_DIR, DT_LNK, DT_REG...). d_type is a hint some
// file systems leave unset (DT_UNKNOWN); an lstat settles it then, without
// following a link. DT_UNKNOWN when even that fails.
unsigned char EntryType(const ListingCalls& calls, int folder_fd, const dirent& entry);

// Every entry of the open folder `dir` (whose descriptor is `folder_fd`) but
// "." and "..", sorted in listing order. An entry whose type cannot be told
// counts as a file. Returns 0, or the errno of a read that failed.
int ReadFolderEntries(const ListingCalls& calls, DIR* dir, int folder_fd, FolderListing& listing);

}  // namespace quillfold
