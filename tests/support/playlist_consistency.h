#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/support/tree_snapshot.h"

namespace quillfold::testing {

// What the playlists below a base folder must look like after a real run.
struct PlaylistRules {
  explicit PlaylistRules(std::string base_folder, std::set<std::string> whole = {})
      : base(std::move(base_folder)), may_stay_whole(std::move(whole)) {}

  std::string base;  // the base folder's full path, ending in "/"
  // Playlists (paths relative to the base) whose writing failed: they may
  // keep their bytes from before the run, whole, though files they name
  // moved.
  std::set<std::string> may_stay_whole;
  bool all_may_stay_whole = false;
};

// One text per problem with the playlists of `after`, compared with
// `before` (snapshots of the base): a playlist gone or holding a different
// number of lines; a changed line that did not lead to an .mp3 file (as a
// player reads it), or that now names no file with that file's content; a
// line that still names a file that moved (unless the playlist may stay
// whole and did). Empty when there is none.
std::vector<std::string> PlaylistProblems(const PlaylistRules& rules, const TreeSnapshot& before,
                                          const TreeSnapshot& after);

// What PlaylistProblems gives when all is well.
inline const std::vector<std::string> kNoPlaylistProblems;

}  // namespace quillfold::testing
