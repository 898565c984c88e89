#include "app/main_window_layout.h"

#include <algorithm>

namespace quillfold {
namespace {

constexpr int kClientWidthTwips = 8685;
constexpr int kClientHeightTwips = 3975;
constexpr TwipRect kDrive1 = {0, 0, 4695, 315};
constexpr TwipRect kDir1 = {0, 360, 4695, 3015};
constexpr TwipRect kFrmOptions = {4920, 0, 3735, 2535};
constexpr TwipRect kCmdGo = {4920, 2640, 3735, 855};
constexpr TwipRect kLabel1 = {120, 3550, 1935, 375};
constexpr TwipRect kLblPath = {1680, 3600, 6975, 255};
// The check boxes' margins inside the frame: 240 twips to the left of each
// box, 120 to the right of the widest.
constexpr int kOptionLeftTwips = 240;
constexpr int kOptionRightTwips = 120;
constexpr int kLabelGapTwips = 60;

int ExtraOptionsWidth(const TwipScale& scale, const TextWidths& texts) {
  const int needed =
      scale.Pixels(kOptionLeftTwips) + texts.widest_option + scale.Pixels(kOptionRightTwips);
  return std::max(0, needed - scale.Pixels(kFrmOptions.width));
}

}  // namespace

PixelSize MinimumClientSize(const TwipScale& scale, const TextWidths& texts) {
  return PixelSize{scale.Pixels(kClientWidthTwips) + ExtraOptionsWidth(scale, texts),
                   scale.Pixels(kClientHeightTwips)};
}

MainWindowLayout LayOutMainWindow(const TwipScale& scale, const TextWidths& texts, int width,
                                  int height) {
  const PixelSize minimum = MinimumClientSize(scale, texts);
  const int grow_x = std::max(0, width - minimum.width);
  const int grow_y = std::max(0, height - minimum.height);
  const int options_extra = ExtraOptionsWidth(scale, texts);
  MainWindowLayout layout;
  layout.Drive1 = scale.Pixels(kDrive1);
  layout.Drive1.width += grow_x;
  layout.Dir1 = scale.Pixels(kDir1);
  layout.Dir1.width += grow_x;
  layout.Dir1.height += grow_y;
  for (auto [rect, design] :
       {std::pair{&layout.frmOptions, kFrmOptions}, {&layout.cmdGo, kCmdGo}}) {
    *rect = scale.Pixels(design);
    rect->x += grow_x;
    rect->width += options_extra;
  }
  layout.Label1 = scale.Pixels(kLabel1);
  layout.Label1.y += grow_y;
  layout.lblPath = scale.Pixels(kLblPath);
  const int path_right = layout.lblPath.x + layout.lblPath.width + options_extra + grow_x;
  layout.lblPath.x =
      std::max(layout.lblPath.x, layout.Label1.x + texts.label1 + scale.Pixels(kLabelGapTwips));
  layout.lblPath.width = path_right - layout.lblPath.x;
  layout.lblPath.y += grow_y;
  return layout;
}

}  // namespace quillfold
