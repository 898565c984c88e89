#include "tags/genre_table.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

TEST(GenreTableTest, NamesTheListedSlotsAndLeavesTheRestEmpty) {
  FillGenreTable();
  const std::pair<int, std::string> cases[] = {
      {0, "Blues"},
      {9, "Metal"},
      {14, "R&B"},
      {24, "Soundtrack"},
      {29, "Jazz+Funk"},
      {30, "Fusion"},
      {40, "Alt. Rock"},
      {51, "Techno-Indust."},
      {62, "Pop/Funk"},
      {67, "Psychadelic"},
      {79, "Hard Rock"},
      {80, "Folk"},
      {84, "Fusion"},
      {92, "Progress. Rock"},
      {93, "Psychadel. Rock"},
      {123, "A Capella"},
      {127, "Drum & Bass"},
      {133, "Negerpunk"},
      {136, "Christian Gangsta Rap"},
      {140, "Contemporary Christian"},
      {147, "Synthpop"},
  };
  for (const auto& [slot, name] : cases) {
    EXPECT_EQ(GenreName(static_cast<std::uint8_t>(slot)), name) << "slot " << slot;
  }
  for (int slot = 0; slot < 256; ++slot) {
    EXPECT_EQ(GenreTable[static_cast<std::size_t>(slot)].empty(), slot >= 148) << "slot " << slot;
  }
}

}  // namespace
}  // namespace quillfold
