#include "tags/genre_table.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

// Of the names, only two steer where a file goes; nothing reads the rest.
TEST(GenreTableTest, OnlySlots24And123CarryTheNamesThatSteerPlacement) {
  FillGenreTable();
  for (int slot = 0; slot < 256; ++slot) {
    const std::string& name = GenreName(static_cast<std::uint8_t>(slot));
    EXPECT_EQ(name == "Soundtrack", slot == 24) << "slot " << slot;
    EXPECT_EQ(name == "A Capella", slot == 123) << "slot " << slot;
    EXPECT_EQ(name.empty(), slot >= 148) << "slot " << slot;
  }
}

}  // namespace
}  // namespace quillfold
