#include "app/stacked_layout.h"

#include <algorithm>

namespace quillfold {

StackedLayout StackToFit(const std::vector<PixelRect>& design,
                         const std::vector<int>& needed_heights) {
  StackedLayout layout;
  for (std::size_t i = 0; i < design.size(); ++i) {
    PixelRect rect = design[i];
    rect.y += layout.growth;
    const int needed = i < needed_heights.size() ? needed_heights[i] : 0;
    layout.growth += std::max(0, needed - rect.height);
    rect.height = std::max(rect.height, needed);
    layout.rects.push_back(rect);
  }
  return layout;
}

}  // namespace quillfold
