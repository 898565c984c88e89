#pragma once

namespace quillfold {

// A position or size given in twips (1440 to the inch), as the window
// layouts are drawn.
struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const PixelRect&) const = default;
};

// Converts twips to pixels at a screen's logical resolution (dots per inch),
// rounding to the nearest pixel.
class TwipScale {
 public:
  explicit TwipScale(double dots_per_inch) : dots_per_inch_(dots_per_inch) {}

  int Pixels(int twips) const;
  PixelRect Pixels(const TwipRect& rect) const;

 private:
  double dots_per_inch_;
};

}  // namespace quillfold
