#include "app/window_settings.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

TEST(WindowSettingsTest, OptionTextSetsOrKeepsTheState) {
  const struct {
    const char* text;
    int from_unticked;
    int from_ticked;
  } cases[] = {
      {"checked", 1, 1},   {"Checked", 1, 1},   {"CHECKED", 1, 1}, {"c", 1, 1},  {"cat", 1, 1},
      {"unchecked", 0, 0}, {"Unchecked", 0, 0}, {"u", 0, 0},       {"U", 0, 0},  {"", 0, 1},
      {"yes", 0, 1},       {"1", 0, 1},         {" c", 0, 1},      {"-1", 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StoredOptionState(c.text, 0), c.from_unticked) << '"' << c.text << '"';
    EXPECT_EQ(StoredOptionState(c.text, 1), c.from_ticked) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace quillfold
