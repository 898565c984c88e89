#pragma once

#include <array>
#include <string_view>

#include "app/twips.h"
#include "organize/organize_options.h"
#include "settings/settings_key.h"

namespace quillfold {

// One option check box of the main window: its name (also the name of its
// stored setting), its text, the field of OrganizeOptions it holds, and its
// place in the "Options" frame.
struct OptionBox {
  std::string_view name;
  std::string_view text;
  int OrganizeOptions::*field;
  TwipRect position;
};

// In tab order, which is also the order the settings are read and written in.
inline constexpr std::array<OptionBox, 6> kOptionBoxes = {{
    {"chkDontDo",
     "Don't Actually Do Anything, Just Report",
     &OrganizeOptions::chkDontDo,
     {240, 240, 3375, 375}},
    {"chkTrackName",
     "Add Track Number to File Name",
     &OrganizeOptions::chkTrackName,
     {240, 600, 2655, 375}},
    {"chkIgnoreNoTrack",
     "Organize Even If No Track Number",
     &OrganizeOptions::chkIgnoreNoTrack,
     {240, 960, 3015, 375}},
    {"chkNoAlbum",
     "When Album Info Missing use \"Unknown\"",
     &OrganizeOptions::chkNoAlbum,
     {240, 1320, 3375, 375}},
    {"chkDelDirs",
     "Remove any empty Directories when done",
     &OrganizeOptions::chkDelDirs,
     {240, 1680, 3375, 375}},
    {"chkUpdateM3U",
     "Update any Playlists (*.m3u) in Path as well",
     &OrganizeOptions::chkUpdateM3U,
     {240, 2040, 3375, 375}},
}};

// The check box that reads ID3v2 tags. Not one of the Options frame's six,
// whose drawn layout it leaves as it was: it sits in the status bar, beside
// the hint that names it, so `position` is unused. Stored and read with the
// six, under its own name.
inline constexpr OptionBox kId3v2Box = {
    kId3v2ValueName, "Read ID3v2 Tags (names in every script)", &OrganizeOptions::chkID3v2, {}};

}  // namespace quillfold
