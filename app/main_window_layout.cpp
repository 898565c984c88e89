#include "app/main_window_layout.h"

#include <algorithm>

namespace quillfold {
namespace {

PixelRect Grown(PixelRect rect, int extra_width, int extra_height) {
  rect.width += extra_width;
  rect.height += extra_height;
  return rect;
}

PixelRect Moved(PixelRect rect, int dx, int dy) {
  rect.x += dx;
  rect.y += dy;
  return rect;
}

}  // namespace

MainWindowLayout LayOutMainWindow(const TwipScale& scale, int width, int height) {
  const int extra_width = std::max(0, width - scale.Pixels(kMainClientWidthTwips));
  const int extra_height = std::max(0, height - scale.Pixels(kMainClientHeightTwips));
  MainWindowLayout layout;
  layout.Drive1 = Grown(scale.Pixels(TwipRect{0, 0, 4695, 315}), extra_width, 0);
  layout.Dir1 = Grown(scale.Pixels(TwipRect{0, 360, 4695, 3015}), extra_width, extra_height);
  layout.frmOptions = Moved(scale.Pixels(TwipRect{4920, 0, 3735, 2535}), extra_width, 0);
  layout.cmdGo = Moved(scale.Pixels(TwipRect{4920, 2640, 3735, 855}), extra_width, 0);
  layout.Label1 = Moved(scale.Pixels(TwipRect{120, 3550, 1935, 375}), 0, extra_height);
  layout.lblPath =
      Moved(Grown(scale.Pixels(TwipRect{1680, 3600, 6975, 255}), extra_width, 0), 0, extra_height);
  return layout;
}

}  // namespace quillfold
