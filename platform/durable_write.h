#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillfold {

// Writes all of `content` to the file descriptor `fd`, going on after
// interrupted and partial writes. False on the first real failure, with
// errno telling why.
bool WriteAll(int fd, std::string_view content);

// Gives the file at `fd` the permission bits of `mode`. True also where the
// file system keeps no permissions to set (FAT through FUSE answers ENOSYS):
// there the mount decides them for every file alike.
bool KeepMode(int fd, unsigned mode);

// Flushes `folder` itself, so that a rename into it survives a crash. True
// also where the file system cannot flush folders at all.
bool SyncFolder(const std::string& folder);

// The random part mkostemp puts in place of "XXXXXX" in a temporary's name.
inline constexpr std::size_t kTemporaryRandomChars = 6;

// Removes the regular files in `folder` named `prefix` and exactly
// kTemporaryRandomChars more: the temporaries a replacement cut short by a
// kill or a crash left behind. Never any other file; one that cannot be
// removed, or a folder that cannot be read, is left as it is.
void RemoveLeftoverTemporaries(const std::string& folder, std::string_view prefix);

}  // namespace quillfold
