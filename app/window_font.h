#pragma once

#include <QFont>

#include "app/twips.h"

class QWidget;

namespace quillfold {

// The windows were drawn for an 8-point face. When the desktop's own font
// is larger, everything grows by the same factor (texts and, through
// WindowScale, the layout), so the design keeps its proportions; it never
// shrinks below the design.
double DesktopFontFactor();

// The windows' default font: the system's sans-serif face at 8 points, and
// the same face at other sizes for the controls that name their own, each
// grown by DesktopFontFactor().
QFont WindowFont(double point_size = 8.0, bool bold = false, bool italic = false);

// Twips to pixels for `widget`'s screen, grown by DesktopFontFactor().
TwipScale WindowScale(const QWidget& widget);

}  // namespace quillfold
