#include "app/window_font.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace quillfold {
namespace {

constexpr double kDesignPointSize = 8.0;

}  // namespace

double DesktopFontFactor() {
  return std::max(1.0, QApplication::font().pointSizeF() / kDesignPointSize);
}

QFont WindowFont(double point_size, bool bold, bool italic) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(point_size * DesktopFontFactor());
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

TwipScale WindowScale(const QWidget& widget) {
  return TwipScale(widget.logicalDpiY() * DesktopFontFactor());
}

}  // namespace quillfold
