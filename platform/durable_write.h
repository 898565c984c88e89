#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/content_pieces.h"

namespace quillfold {

// Writes all of `content` to the file descriptor `fd`, going on after
// interrupted and partial writes. False on the first real failure, with
// errno telling why.
bool WriteAll(int fd, std::string_view content);

// Writes every piece of `content` to `fd` as it is handed over. False on the
// first failure, with errno telling why; content that hands over other than
// its `size` bytes, or stops early, fails with EIO.
bool WritePieces(int fd, const ContentPieces& content);

// Gives the file at `fd` the permission bits of `mode`. True also where the
// file system keeps no permissions to set (FAT through FUSE answers ENOSYS):
// there the mount decides them for every file alike.
bool KeepMode(int fd, unsigned mode);

// The folder holding `path`: "/a/b" -> "/a", "/a" -> "/", "b" -> ".".
std::string ParentFolder(const std::string& path);

// Flushes `folder` itself, so that a rename into it survives a crash. True
// also where the file system cannot flush folders at all.
bool SyncFolder(const std::string& folder);

// The random part mkostemp puts in place of "XXXXXX" in a temporary's name.
inline constexpr std::size_t kTemporaryRandomChars = 6;

// Whether a replacement takes the old file's owner and group too, as far as
// the user may give them (a playlist in a shared folder stays its owner's),
// or only its permission bits.
enum class OwnerKept { kModeOnly, kOwnerAndMode };

// How ReplaceDurably went: the step that failed, with its errno, or kDone.
struct DurableReplace {
  enum class Step { kDone, kTemporary, kWrite, kRename, kFolderFlush };
  Step failed = Step::kDone;
  int error = 0;
};

// Replaces (or creates) the file at `path` with `content` in one step: a new
// file named `temp_prefix` and kTemporaryRandomChars random characters (a
// full path, beside `path`) is given the old file's mode (and owner, as
// `kept` says), written and flushed, then renamed over `path`, and the
// folder is flushed. Until the rename the old file is untouched; on a failure
// before it the temporary is removed. kFolderFlush comes after the rename:
// the new content is in place, only less sure to survive a power cut.
DurableReplace ReplaceDurably(const std::string& path, std::string temp_prefix,
                              const ContentPieces& content, OwnerKept kept);

// Removes the regular files in `folder` named `prefix` and exactly
// kTemporaryRandomChars more: the temporaries a replacement cut short by a
// kill or a crash left behind. Never any other file; one that cannot be
// removed, or a folder that cannot be read, is left as it is.
void RemoveLeftoverTemporaries(const std::string& folder, std::string_view prefix);

}  // namespace quillfold
