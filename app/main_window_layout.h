#pragma once

#include "app/twips.h"

namespace quillfold {

// Widths that the texts of the main window need in the fonts it shows them
// in, in pixels: the widest option check box (box and text) and the
// "Chosen Path:" label. The drawn layout was made for narrower fonts than
// the sans-serif faces of Linux desktops, so these widen the layout where
// they would otherwise be cut off.
struct TextWidths {
  int widest_option = 0;
  int label1 = 0;
};

// Where the main window's controls sit in its client area (below the menu
// bar). At the minimum size every control sits where it was drawn, but for
// the options frame and "Go!", which widen to hold the widest option, and
// the path label, which starts after "Chosen Path:". A larger window gives
// its extra width to the drive list, the folder list and the path label,
// and its extra height to the folder list, so the options frame and "Go!"
// keep to the top right and the path row to the bottom.
struct MainWindowLayout {
  PixelRect Drive1;
  PixelRect Dir1;
  PixelRect frmOptions;
  PixelRect cmdGo;
  PixelRect Label1;
  PixelRect lblPath;
};

struct PixelSize {
  int width = 0;
  int height = 0;
};

// The design size of 8685 by 3975 twips, wider when the options need it.
PixelSize MinimumClientSize(const TwipScale& scale, const TextWidths& texts);

// The layout for a client area of `width` by `height` pixels; sizes below
// the minimum are laid out as the minimum.
MainWindowLayout LayOutMainWindow(const TwipScale& scale, const TextWidths& texts, int width,
                                  int height);

}  // namespace quillfold
