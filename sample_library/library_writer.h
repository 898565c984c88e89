#pragma once

#include <cstddef>
#include <string>

#include "sample_library/library_plan.h"

namespace quillfold::bench {

struct LibraryStats {
  std::size_t files = 0;
  std::size_t audio_bytes = 0;
  std::size_t playlist_lines = 0;
  std::size_t playlist_bytes = 0;
};

// The text of one line of `playlist` for a library written below `base`
// (no trailing "/"): the file's absolute path, its path relative to the
// playlist's folder or its file URI, or "#EXTM3U".
std::string PlaylistLine(const LibraryPlan& plan, const PlannedPlaylist& playlist,
                         const PlaylistEntry& entry, const std::string& base);

// Writes `plan` below the folder `base` (created when missing; no trailing
// "/"), with ID3v2 tags when `id3v2` (see LibraryShape::id3v2). Playlists get CR LF after every
// line. Throws std::runtime_error, naming the path, when anything cannot be written.
LibraryStats WriteLibrary(const LibraryPlan& plan, const std::string& base, bool id3v2 = false);

}  // namespace quillfold::bench
