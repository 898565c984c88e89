#include <gtest/gtest.h>

#include <ostream>

#include "app/main_window_layout.h"
#include "app/stacked_layout.h"
#include "app/twips.h"

namespace quillfold {

void PrintTo(const PixelRect& rect, std::ostream* os) {
  *os << "{" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << "}";
}

namespace {

TEST(TwipScaleTest, ConvertsAtTheScreenResolution) {
  const struct {
    double dpi;
    int twips;
    int pixels;
  } cases[] = {{96, 1440, 96},   {96, 15, 1},    {96, 4695, 313},  {96, 7, 0}, {96, 8, 1},
               {120, 1440, 120}, {120, 360, 30}, {144, 8685, 869}, {96, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(TwipScale(c.dpi).Pixels(c.twips), c.pixels) << c.twips << " twips at " << c.dpi;
  }
}

TEST(MainWindowLayoutTest, DesignSizeKeepsTheDrawnPositions) {
  const TwipScale scale(96);
  const MainWindowLayout layout = LayOutMainWindow(scale, TextWidths{}, 579, 265);
  EXPECT_EQ(layout.Drive1, (PixelRect{0, 0, 313, 21}));
  EXPECT_EQ(layout.Dir1, (PixelRect{0, 24, 313, 201}));
  EXPECT_EQ(layout.frmOptions, (PixelRect{328, 0, 249, 169}));
  EXPECT_EQ(layout.cmdGo, (PixelRect{328, 176, 249, 57}));
  EXPECT_EQ(layout.Label1, (PixelRect{8, 237, 129, 25}));
  EXPECT_EQ(layout.lblPath, (PixelRect{112, 240, 465, 17}));
  const MainWindowLayout smaller = LayOutMainWindow(scale, TextWidths{}, 100, 50);
  EXPECT_EQ(smaller.Dir1, layout.Dir1);
  EXPECT_EQ(smaller.lblPath, layout.lblPath);
}

// Extra width goes to the lists and the path label; extra height to the
// folder list; the options and "Go!" stay at the top right.
TEST(MainWindowLayoutTest, ExtraSpaceGoesToTheListsAndThePath) {
  const TwipScale scale(96);
  const MainWindowLayout design = LayOutMainWindow(scale, TextWidths{}, 579, 265);
  const MainWindowLayout grown = LayOutMainWindow(scale, TextWidths{}, 579 + 100, 265 + 40);
  EXPECT_EQ(grown.Drive1.width, design.Drive1.width + 100);
  EXPECT_EQ(grown.Dir1.width, design.Dir1.width + 100);
  EXPECT_EQ(grown.Dir1.height, design.Dir1.height + 40);
  EXPECT_EQ(grown.frmOptions, (PixelRect{428, 0, 249, 169}));
  EXPECT_EQ(grown.cmdGo, (PixelRect{428, 176, 249, 57}));
  EXPECT_EQ(grown.Label1, (PixelRect{8, 277, 129, 25}));
  EXPECT_EQ(grown.lblPath, (PixelRect{112, 280, 565, 17}));
  EXPECT_EQ(grown.lblPath.x + grown.lblPath.width, grown.frmOptions.x + grown.frmOptions.width);
}

// Options wider than drawn widen the frame and "Go!" (and the window); a
// wide "Chosen Path:" pushes the path label right, keeping its right edge.
TEST(MainWindowLayoutTest, WideTextsWidenTheirControls) {
  const TwipScale scale(96);
  const TextWidths texts{/*widest_option=*/260, /*label1=*/120};
  const PixelSize minimum = MinimumClientSize(scale, texts);
  EXPECT_EQ(minimum.width, 579 + (16 + 260 + 8 - 249));
  EXPECT_EQ(minimum.height, 265);
  const MainWindowLayout layout = LayOutMainWindow(scale, texts, minimum.width, minimum.height);
  EXPECT_EQ(layout.frmOptions, (PixelRect{328, 0, 284, 169}));
  EXPECT_EQ(layout.cmdGo, (PixelRect{328, 176, 284, 57}));
  EXPECT_EQ(layout.Dir1.width, 313);
  EXPECT_EQ(layout.lblPath, (PixelRect{132, 240, 480, 17}));
  const TextWidths narrow{/*widest_option=*/100, /*label1=*/90};
  EXPECT_EQ(MinimumClientSize(scale, narrow).width, 579);
  EXPECT_EQ(LayOutMainWindow(scale, narrow, 579, 265).lblPath, (PixelRect{112, 240, 465, 17}));
}

TEST(StackToFitTest, TallerTextsPushTheRestDown) {
  const std::vector<PixelRect> design = {{8, 10, 100, 20}, {8, 40, 100, 30}, {8, 80, 50, 25}};
  const struct {
    std::vector<int> needed;
    std::vector<int> tops;
    std::vector<int> heights;
    int growth;
  } cases[] = {
      {{0, 0, 0}, {10, 40, 80}, {20, 30, 25}, 0},   {{20, 30, 25}, {10, 40, 80}, {20, 30, 25}, 0},
      {{35, 0, 0}, {10, 55, 95}, {35, 30, 25}, 15}, {{35, 50, 0}, {10, 55, 115}, {35, 50, 25}, 35},
      {{0, 0, 40}, {10, 40, 80}, {20, 30, 40}, 15},
  };
  for (const auto& c : cases) {
    const StackedLayout fitted = StackToFit(design, c.needed);
    std::vector<int> tops;
    std::vector<int> heights;
    for (const PixelRect& rect : fitted.rects) {
      tops.push_back(rect.y);
      heights.push_back(rect.height);
      EXPECT_EQ(rect.x, 8);
    }
    EXPECT_EQ(tops, c.tops) << "needed " << ::testing::PrintToString(c.needed);
    EXPECT_EQ(heights, c.heights) << "needed " << ::testing::PrintToString(c.needed);
    EXPECT_EQ(fitted.growth, c.growth) << "needed " << ::testing::PrintToString(c.needed);
  }
}

}  // namespace
}  // namespace quillfold
