#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tags/song_tag.h"

namespace quillfold {

// The three options that decide where a file goes, each true when its check
// box is ticked.
struct PlacementOptions {
  bool track_name = true;       // chkTrackName: "07. Title.mp3" instead of "Title.mp3"
  bool ignore_no_track = true;  // chkIgnoreNoTrack: a missing track number is no reason to leave
  bool no_album = true;         // chkNoAlbum: Artist/Unknown/ when the album is missing
  // chkID3v2: names keep every script (SafeFolderName, SafeFileName), the
  // album artist names the artist folder, and a disc of an album of several
  // gives "D-NN. Title.mp3". Unset, names follow CleanName as ever.
  bool id3v2 = false;
};

// Where one file belongs: a folder below the base (ending in the separator)
// and a file name in it.
struct Placement {
  std::string target_folder;
  std::string target_name;

  bool operator==(const Placement&) const = default;
};

void PrintTo(const Placement& placement, std::ostream* os);

// The text after the last separator of `relative_path`, or all of it.
std::string CurrentName(std::string_view relative_path, char separator);

// Decides where a file goes from its tag (none when the file has no readable
// tag), the options and its current name. The same decision serves a
// report-only run and a real run; nothing here touches the disk.
//   - no tag: "UNSORTED - No ID3v1 Tag", current name kept;
//   - title, artist, album present and the track accepted: Artist/Album/ (or
//     Kids/Album/ for "A Capella", Various Artists/Album/ for "Soundtrack")
//     with the cleaned "NN. Title.mp3";
//   - only the album missing: Artist/Unknown/ with the sorted name when
//     no_album is set, else "UNSORTED - No Album Info";
//   - exactly one other condition failing: the "UNSORTED" folder named for
//     it; two or more: "UNSORTED - Multiple Data Missing". Every "UNSORTED"
//     folder lies directly in the base and the file keeps its current name.
// With options.id3v2 an album artist counts as the artist and takes its
// place in the folder.
Placement DecidePlacement(const std::optional<SongTag>& tag, const PlacementOptions& options,
                          std::string_view base_folder, std::string_view current_name,
                          char separator);

}  // namespace quillfold
