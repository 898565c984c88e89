#pragma once

#include <QRect>
#include <QSize>
#include <string>
#include <string_view>

#include "organize/organize_options.h"
#include "settings/registry.h"

namespace quillfold {

// The main window's stored settings: the six options and StartPath, in the
// settings key, through the settings layer. Nothing here reports failures:
// a value that cannot be read reads as empty, a write that fails is lost.

// The state a stored option text gives a check box now in `state`: 0 when
// the text begins with "u" or "U", 1 when with "c" or "C", else unchanged.
int StoredOptionState(std::string_view text, int state);

// Reads the six options, in tab order, over the states in `options`.
OrganizeOptions ReadStoredOptions(Registry& registry, OrganizeOptions options);

// The stored StartPath as text ("" when missing).
std::string ReadStartPath(Registry& registry);

// Makes sure the key exists, then writes StartPath and the six options (as
// "checked" or "unchecked"), in that order.
void SaveWindowSettings(Registry& registry, const std::string& start_path,
                        const OrganizeOptions& options);

// Where the windows were, in values of their own beside the seven above:
// frmMainPlace ("left,top,width,height,maximized" of the main window's
// normal geometry) and frmResultsSize ("width,height" of the report
// window). Missing or unreadable values read as invalid (null) ones.
struct WindowPlaces {
  QRect main;
  bool maximized = false;
  QSize report_size;
};
WindowPlaces ReadWindowPlaces(Registry& registry);
// Writes both values; an invalid one is not written.
void SaveWindowPlaces(Registry& registry, const WindowPlaces& places);

}  // namespace quillfold
