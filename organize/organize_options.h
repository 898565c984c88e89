#pragma once

#include <ostream>

namespace quillfold {

// The option check boxes (the six of the Options frame and chkID3v2), each 0 (unticked) or 1
// (ticked). The defaults are the boxes' design-time states, which hold until stored settings say
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

  // "Read ID3v2 Tags (names in every script)": read ID3v2 (2.2 to 2.4) with
  // ID3v1 as the fallback, keep every script in names, file by the album
  // artist and number discs. Off, every run reads ID3v1 alone, as ever.
  // Not one of the six check boxes of the Options frame: stored and
  // recorded under its own name.
  int chkID3v2 = 0;

  bool operator==(const OrganizeOptions&) const = default;
};

void PrintTo(const OrganizeOptions& options, std::ostream* os);

}  // namespace quillfold
