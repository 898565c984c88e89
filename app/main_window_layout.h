#pragma once

#include "app/twips.h"

namespace quillfold {

// Where the main window's controls sit in its client area (below the menu
// bar). At the design size of 8685 by 3975 twips every control sits where it
// was drawn; a larger window gives its extra width to the drive list, the
// folder list and the path label, and its extra height to the folder list,
// so the options frame and "Go!" keep to the top right and the path row to
// the bottom.
struct MainWindowLayout {
  PixelRect Drive1;
  PixelRect Dir1;
  PixelRect frmOptions;
  PixelRect cmdGo;
  PixelRect Label1;
  PixelRect lblPath;
};

inline constexpr int kMainClientWidthTwips = 8685;
inline constexpr int kMainClientHeightTwips = 3975;

// The layout for a client area of `width` by `height` pixels; sizes below
// the design size are laid out as the design size.
MainWindowLayout LayOutMainWindow(const TwipScale& scale, int width, int height);

}  // namespace quillfold
