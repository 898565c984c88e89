#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "organize/journal.h"
#include "platform/file_system.h"

namespace quillfold {

// Makes target folders ready for the moves of one run. A target folder
// lies below the base folder; if one of its components below the base is a
// symbolic link, a move into it could land outside the base, so it is refused
// before anything is created. Folders made ready once in a run are not looked
// at again, so a run of many files into few folders costs few file-system
// calls; but each move into a folder made ready before first asks whether
// the folder is still where its path says (one moved out of the base while
// the run goes on would take the file with it), of the folders held open,
// without a request to the medium where the OS can tell.
class TargetFolders {
 public:
  // `base_folder` ends in the file system's separator and must outlive this.
  TargetFolders(FileSystem& file_system, const std::string& base_folder);

  // Creates the missing folders of `target_folder` (the base folder followed
  // by components, ending in the separator). Throws RunError when a component
  // below the base is a symbolic link. A chain that cannot be created is not
  // reported here: the move into it fails instead. Each folder about to be
  // created is first recorded in `journal`, when there is one.
  // Throws RunError when a target folder made ready before is no longer
  // the folder at its path (moved or removed since).
  void Prepare(const std::string& target_folder, RunJournal* journal = nullptr);

 private:
  bool StillInPlace(const std::string& target_folder, const FileIdentity& identity);
  void ThrowIfMovedAway(const std::string& target_folder, const FileIdentity& identity);

  void RecordMissing(const std::vector<std::string>& folders, RunJournal& journal);

  FileSystem& file_system_;
  const std::string& base_folder_;
  std::unordered_set<std::string> ready_;
  std::unordered_map<std::string, FileIdentity> target_identities_;
  std::optional<std::string> held_base_;  // where the OS last said the base is
};

}  // namespace quillfold
