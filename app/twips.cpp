#include "app/twips.h"

#include <cmath>

namespace quillfold {

int TwipScale::Pixels(int twips) const {
  return static_cast<int>(std::lround(twips * dots_per_inch_ / 1440.0));
}

PixelRect TwipScale::Pixels(const TwipRect& rect) const {
  return PixelRect{Pixels(rect.left), Pixels(rect.top), Pixels(rect.width), Pixels(rect.height)};
}

}  // namespace quillfold
