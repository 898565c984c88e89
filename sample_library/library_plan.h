#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_library/tag_catalogue.h"

namespace quillfold::bench {

// The size and mess of a generated library. Every count is exact.
struct LibraryShape {
  int files = 30000;  // .mp3 files, hidden ones included
  int playlists = 1000;
  int min_playlist_lines = 1;
  int max_playlist_lines = 1000;
  int empty_chains = 40;  // chains of one to three nested empty folders
  int hidden_files = 0;   // of `files`, how many have a name beginning with "."
  int links = 0;          // symbolic links: half to files, half to folders
  // Tags written as ID3v2.4 alone (as mutagen and eyeD3 write them), every
  // second file with 30 KiB of cover art before the text frames, in place
  // of ID3v1 trailers.
  bool id3v2 = false;
  std::uint64_t seed = 1;
};

struct PlannedFile {
  std::string relative;  // path below the base, "/"-separated
  PlannedTag tag;
  int frames = 0;  // MPEG frames before the trailer
};

// One playlist line: a file of the plan by index, or a fixed text.
struct PlaylistEntry {
  static constexpr int kHeader = -1;  // "#EXTM3U"
  enum class Form { kAbsolute, kRelative, kUri };
  int file = kHeader;
  // How the line names the file: by absolute path, relative to the
  // playlist's folder or by file URI (a quarter each relative and URI).
  Form form = Form::kAbsolute;
};

struct PlannedPlaylist {
  std::string relative;
  std::vector<PlaylistEntry> entries;
};

struct PlannedLink {
  std::string relative;
  std::string target;  // a file of the plan (relative to the base) or ".."
  bool to_file = false;
};

// Everything a library holds, decided from the shape's seed alone.
struct LibraryPlan {
  std::vector<std::string> folders;        // every folder that holds something
  std::vector<std::string> empty_folders;  // deepest last within each chain
  std::vector<PlannedFile> files;
  std::vector<PlannedPlaylist> playlists;
  std::vector<PlannedLink> links;
};

LibraryPlan PlanLibrary(const LibraryShape& shape);

}  // namespace quillfold::bench
