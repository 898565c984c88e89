#include "app/window_settings.h"

#include <gtest/gtest.h>

#include "platform/file_registry.h"
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

// What SaveWindowSettings writes, the readers give back; a number stored in
// place of a text leaves the option as it was.
TEST(WindowSettingsTest, SavedSettingsReadBack) {
  testing::TempFolder hive;
  FileRegistry registry(hive.path());
  OrganizeOptions saved;
  saved.chkDontDo = 0;
  saved.chkDelDirs = 1;
  SaveWindowSettings(registry, "/srv/music/", saved);
  EXPECT_EQ(ReadStartPath(registry), "/srv/music/");
  OrganizeOptions opposite;
  for (int OrganizeOptions::*field :
       {&OrganizeOptions::chkDontDo, &OrganizeOptions::chkTrackName,
        &OrganizeOptions::chkIgnoreNoTrack, &OrganizeOptions::chkNoAlbum,
        &OrganizeOptions::chkDelDirs, &OrganizeOptions::chkUpdateM3U}) {
    opposite.*field = 1 - saved.*field;
  }
  EXPECT_EQ(ReadStoredOptions(registry, opposite), saved);

  WriteSetting(registry, kSettingsRoot, kSettingsKeyPath, "chkDontDo", RegValue(std::int32_t{1}),
               REG_DWORD);
  EXPECT_EQ(ReadStoredOptions(registry, opposite).chkDontDo, opposite.chkDontDo);
  FileRegistry empty(hive / "empty");
  EXPECT_EQ(ReadStoredOptions(empty, opposite), opposite);
}

}  // namespace
}  // namespace quillfold
