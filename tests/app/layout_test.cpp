#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <tuple>

#include "app/main_window_layout.h"
#include "app/twips.h"

namespace quillfold {

void PrintTo(const PixelRect& rect, std::ostream* os) {
  *os << "{" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << "}";
}

namespace {

std::array<PixelRect, 6> Rects(const MainWindowLayout& layout) {
  return {layout.Drive1, layout.Dir1,   layout.frmOptions,
          layout.cmdGo,  layout.Label1, layout.lblPath};
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// At any scale, with texts as drawn or wider, at the minimum size and
// larger: nothing overlaps, nothing leaves the client area, the texts fit,
// and the extra space goes to the lists and the path (the frame and "Go!"
// keep their size). Below the minimum the layout is the minimum's.
TEST(MainWindowLayoutTest, NothingOverlapsNothingIsCutOffExtraSpaceGoesToTheLists) {
  for (const double dpi : {96.0, 144.0}) {
    for (const TextWidths texts : {TextWidths{}, TextWidths{260, 120}}) {
      SCOPED_TRACE(::testing::Message() << dpi << " dpi, option " << texts.widest_option);
      const TwipScale scale(dpi);
      const PixelSize minimum = MinimumClientSize(scale, texts);
      const MainWindowLayout least = LayOutMainWindow(scale, texts, minimum.width, minimum.height);
      const MainWindowLayout grown =
          LayOutMainWindow(scale, texts, minimum.width + 100, minimum.height + 40);
      EXPECT_EQ(Rects(LayOutMainWindow(scale, texts, 10, 10)), Rects(least));
      for (const auto& [layout, width, height] :
           {std::tuple(least, minimum.width, minimum.height),
            std::tuple(grown, minimum.width + 100, minimum.height + 40)}) {
        const auto rects = Rects(layout);
        for (std::size_t i = 0; i < rects.size(); ++i) {
          EXPECT_TRUE(rects[i].x >= 0 && rects[i].y >= 0 && rects[i].x + rects[i].width <= width &&
                      rects[i].y + rects[i].height <= height)
              << i;
          // "Chosen Path:"'s box reaches under the path as drawn; its text
          // does not (checked below).
          for (std::size_t j = i + 1; j < rects.size() && i != 4; ++j) {
            EXPECT_FALSE(Overlap(rects[i], rects[j])) << i << " and " << j;
          }
        }
        EXPECT_GE(layout.frmOptions.width, texts.widest_option);
        EXPECT_GE(layout.lblPath.x - layout.Label1.x, texts.label1);
      }
      EXPECT_EQ(std::tuple(grown.Drive1.width, grown.Dir1.width, grown.Dir1.height,
                           grown.lblPath.width, grown.frmOptions.width, grown.cmdGo.height),
                std::tuple(least.Drive1.width + 100, least.Dir1.width + 100, least.Dir1.height + 40,
                           least.lblPath.width + 100, least.frmOptions.width, least.cmdGo.height));
    }
  }
}

}  // namespace
}  // namespace quillfold
