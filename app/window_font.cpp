#include "app/window_font.h"

namespace quillfold {

QFont WindowFont(double point_size, bool bold, bool italic) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(point_size);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace quillfold
