#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillfold {

inline constexpr std::size_t kGenreSlots = 256;

// Genre names by the tag's genre byte. Slots 0 to 147 hold the ID3v1 list
// and its common extension; slots 148 to 255 stay empty, so every byte is a
// valid index and a lookup never fails.
using GenreNames = std::array<std::string, kGenreSlots>;

// The program's one table, filled once at start and only read afterwards.
extern GenreNames GenreTable;

// Writes slots 0 to 147 of GenreTable and leaves slots 148 to 255 empty.
void FillGenreTable();

// The name in slot `genre` of GenreTable (empty for an unnamed byte).
const std::string& GenreName(std::uint8_t genre);

}  // namespace quillfold
