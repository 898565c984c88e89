#include "app/window_settings.h"

#include <gtest/gtest.h>

#include "settings/file_registry.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"
#include "tests/support/temp_folder.h"

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

// A place left of or above the first screen comes back as it was; a size
// that is not positive is not taken.
TEST(WindowSettingsTest, PlacesAtAnyCoordinatesComeBackWhole) {
  const struct {
    QRect main;
    QSize report;
    QRect main_read;
    QSize report_read;
  } cases[] = {
      {{-1600, -20, 800, 600}, {640, 480}, {-1600, -20, 800, 600}, {640, 480}},
      {{10, 20, 0, 600}, {0, 480}, {}, {}},
  };
  for (const auto& c : cases) {
    testing::TempFolder hive;
    FileRegistry registry(hive.path());
    EnsureRegKey(registry, kSettingsRoot, kSettingsKeyPath);
    SaveWindowPlaces(registry, {c.main, true, c.report});
    const WindowPlaces read = ReadWindowPlaces(registry);
    EXPECT_EQ(std::tuple(read.main, read.report_size), std::tuple(c.main_read, c.report_read))
        << c.main.x();
  }
}

}  // namespace
}  // namespace quillfold
