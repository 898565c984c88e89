#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "organize/found_list.h"
#include "organize/organize_host.h"
#include "platform/file_system.h"

namespace quillfold {

// Folder listings one search leaves for the next search over the same tree,
// when nothing on disk can have changed in between. A search that keeps
// stores every listing it makes; one that does not takes (and drops) the
// stored listing of each folder it enters instead of listing it again.
struct KeptListings {
  std::map<std::string, FolderListing> by_folder;
  bool keep = false;
};

// What a search works with. `base_folder` ends in the separator; every
// searched folder lies inside it.
struct SearchScope {
  FileSystem& file_system;
  OrganizeHost& host;
  const std::string& base_folder;
  FoundList& found;
  // Tell the host the number found after each file (the music search).
  bool report_progress = false;
  KeptListings* kept = nullptr;
  // When set, the symbolic links whose names match take their turn here
  // (relative to the base folder, in the same order) instead of being passed
  // over: the playlist search follows them.
  std::vector<std::string>* links = nullptr;
};

// True when `name` matches `pattern` without regard to ASCII letter case;
// "*" stands for any run of bytes, including none. "*.mp3" matches every
// name ending in ".mp3", ".MP3", ".Mp3" and so on.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The names the run looks for: music files, and playlists as players write
// them (".m3u8" holds UTF-8 by definition; both are read alike).
inline constexpr std::string_view kMusicPatterns[] = {"*.mp3"};
inline constexpr std::string_view kPlaylistPatterns[] = {"*.m3u", "*.m3u8"};

// Appends to scope.found every file below `folder` (a full path) whose name
// matches one of `patterns`, as a path relative to the base folder, in depth-first
// pre-order: a folder's own files in listing order, then each subfolder's
// whole subtree in listing order. Hidden files and folders are included;
// symbolic links are never listed or entered. The host handles pending events
// after each file stored and before each subfolder is entered. The first
// failure (a folder that cannot be listed) ends the whole search with
// RunError, memory running out with std::bad_alloc; what was stored before
// it stays. A folder where another volume is mounted is not entered; the
// music search (report_progress) tells the host.
void FindFiles(const SearchScope& scope, const std::string& folder,
               std::span<const std::string_view> patterns);

// Appends to scope.found, as full paths without a trailing separator (a root
// keeps its own), every folder below and including `folder` that holds no
// subfolder, no file and no link. A folder with subfolders is never itself
// listed, even when they all turn out empty. A mount point below `folder` is
// neither entered nor listed. Events and failures as above.
void FindEmptyFolders(const SearchScope& scope, const std::string& folder);

}  // namespace quillfold
