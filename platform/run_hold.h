#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace quillfold {

// Holds `folder` (absolute, with or without a trailing "/") for one real
// run: an exclusive flock on the folder itself and a shared one on every
// folder above it, so that a second hold on the same folder, on one inside
// it or on one above it is refused, while runs on unrelated folders with a
// common ancestor go side by side. The locks live on open folder
// descriptors, so they need no file of ours in the user's tree and die with
// the process, however it ends. A file system that cannot lock at all (some
// network shares answer flock with ENOLCK or EBADF) does not keep a run
// from going ahead: the hold covers what can be locked.
// Null when another hold, in this process or any other, stands in the way.
std::unique_ptr<FolderHold> HoldFolderForRun(const std::string& folder);

}  // namespace quillfold
