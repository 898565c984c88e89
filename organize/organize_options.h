#pragma once

#include <ostream>

namespace quillfold {

// The six option check boxes, each 0 (unticked) or 1 (ticked). The defaults
// are the boxes' design-time states, which hold until stored settings say
// otherwise. A run never keeps a copy: it asks its host for the current
// state each time it needs one option (see OrganizeHost::CurrentOptions).
struct OrganizeOptions {
  // Report only: "Don't Actually Do Anything, Just Report". Report-only mode
  // holds whenever this is not 0.
  int chkDontDo = 1;
  // "Add Track Number to File Name": "07. Title.mp3" instead of "Title.mp3".
  int chkTrackName = 1;
  // "Organize Even If No Track Number": a missing track does not send the
  // file to "UNSORTED - No Track Number".
  int chkIgnoreNoTrack = 1;
  // "When Album Info Missing use "Unknown"": Artist/Unknown/ instead of
  // "UNSORTED - No Album Info".
  int chkNoAlbum = 1;
  // "Remove any empty Directories when done" (real runs only; set when 1).
  int chkDelDirs = 0;
  // "Update any Playlists (*.m3u) in Path as well" (set when 1).
  int chkUpdateM3U = 1;

  bool operator==(const OrganizeOptions&) const = default;
};

void PrintTo(const OrganizeOptions& options, std::ostream* os);

}  // namespace quillfold
