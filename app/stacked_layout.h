#pragma once

#include <vector>

#include "app/twips.h"

namespace quillfold {

// Lays out a column of texts drawn for narrower fonts: each rectangle gets
// at least the height its text needs (`needed_heights`, same order), and
// every rectangle moves down by what the ones above it grew. Rectangles must
// be given from top to bottom. Returns the moved rectangles; the total growth
// is the last one's shift plus its own growth.
struct StackedLayout {
  std::vector<PixelRect> rects;
  int growth = 0;
};

StackedLayout StackToFit(const std::vector<PixelRect>& design,
                         const std::vector<int>& needed_heights);

}  // namespace quillfold
