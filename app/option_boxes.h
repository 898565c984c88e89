#pragma once

#include <array>
#include <string_view>

#include "app/twips.h"
#include "organize/organize_options.h"
#include "settings/settings_key.h"

namespace quillfold {

// One option check box of the main window: the option it holds (its name is
// the box's), its text, and its place in the "Options" frame.
struct OptionBox {
  const OrganizeOption* option;
  std::string_view text;
  TwipRect position;
};

// In tab order, which is also the order the settings are read and written in.
inline constexpr std::array<OptionBox, 6> kOptionBoxes = {{
    {&kOrganizeOptions[0], "Don't Actually Do Anything, Just Report", {240, 240, 3375, 375}},
    {&kOrganizeOptions[1], "Add Track Number to File Name", {240, 600, 2655, 375}},
    {&kOrganizeOptions[2], "Organize Even If No Track Number", {240, 960, 3015, 375}},
    {&kOrganizeOptions[3], "When Album Info Missing use \"Unknown\"", {240, 1320, 3375, 375}},
    {&kOrganizeOptions[4], "Remove any empty Directories when done", {240, 1680, 3375, 375}},
    {&kOrganizeOptions[5], "Update any Playlists (*.m3u) in Path as well", {240, 2040, 3375, 375}},
}};

// The check box that reads ID3v2 tags. Not one of the Options frame's six,
// whose drawn layout it leaves as it was: it sits in the status bar, beside
// the hint that names it, so `position` is unused. Stored and read with the
// six, under its own name.
inline constexpr OptionBox kId3v2Box = {
    &kOrganizeOptions[6], "Read ID3v2 Tags (names in every script)", {}};

}  // namespace quillfold
