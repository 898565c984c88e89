#pragma once

#include <string>

#include "organize/journal.h"
#include "organize/organize_host.h"
#include "organize/playlist_store.h"
#include "organize/target_folders.h"
#include "platform/file_system.h"

namespace quillfold {

// What the per-file steps of one run share: the disk, the front end, the
// base folder (ending in the separator), the playlists and the target
// folders made ready so far, and the journal of a real run (null when the
// run keeps none), and the count of files the ID3v1 mode found with an
// ID3v2 tag but no ID3v1 tag.
struct RunContext {
  FileSystem& file_system;
  OrganizeHost& host;
  const std::string& base_folder;
  PlaylistStore& playlists;
  TargetFolders& target_folders;
  RunJournal* journal = nullptr;
  int files_with_only_id3v2 = 0;
};

}  // namespace quillfold
