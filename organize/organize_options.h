#pragma once

#include <array>
#include <ostream>
#include <string_view>

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

// One option, as every part that names the options sees it: the check box's
// name (also the name of its stored setting), its field, and the command
// line's flag that sets the field to `flag_value`.
struct OrganizeOption {
  std::string_view name;
  int OrganizeOptions::*field;
  std::string_view flag;
  int flag_value;
};

// Every option, in the order the check boxes are tabbed through, the
// settings are read and written, and the journal records them: the six of
// the Options frame, then chkID3v2.
inline constexpr std::array<OrganizeOption, 7> kOrganizeOptions = {{
    {"chkDontDo", &OrganizeOptions::chkDontDo, "--apply", 0},
    {"chkTrackName", &OrganizeOptions::chkTrackName, "--no-track-number", 0},
    {"chkIgnoreNoTrack", &OrganizeOptions::chkIgnoreNoTrack, "--require-track-number", 0},
    {"chkNoAlbum", &OrganizeOptions::chkNoAlbum, "--no-unknown-album", 0},
    {"chkDelDirs", &OrganizeOptions::chkDelDirs, "--remove-empty-folders", 1},
    {"chkUpdateM3U", &OrganizeOptions::chkUpdateM3U, "--no-playlists", 0},
    {"chkID3v2", &OrganizeOptions::chkID3v2, "--id3v2", 1},
}};

void PrintTo(const OrganizeOptions& options, std::ostream* os);

}  // namespace quillfold
