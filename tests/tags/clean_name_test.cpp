#include "tags/clean_name.h"

#include <gtest/gtest.h>

namespace quillfold {
namespace {

// Both bytes of a UTF-8 e-acute go, as does a single-byte one; full stops go
// after the only trim, so a space can stay ("x . ." gives "x . ").
TEST(CleanNameTest, KeepsAllowedCharactersThenTrimsSpacesThenFullStops) {
  const std::pair<std::string, std::string> cases[] = {
      {"Some Band", "Some Band"},
      {"AC/DC", "ACDC"},
      {"Who Knows?", "Who Knows"},
      {"Rock & Roll", "Rock & Roll"},
      {"Track 1: Intro", "Track 1 Intro"},
      {"A+B=C", "ABC"},
      {"Caf\xC3\xA9 del Mar", "Caf del Mar"},
      {"Caf\xE9 del Mar", "Caf del Mar"},
      {"  ...Ready.  ", "Ready"},
      {"x . .", "x . "},
      {". x", " x"},
      {"***", "_"},
      {"...", "_"},
      {"   ", "_"},
      {"", "_"},
      {"???.mp3", "mp3"},
      {"a.b", "a.b"},
      {"a   b", "a   b"},
      {"lower case stays", "lower case stays"},
      {"[x]|<y>\\z\"*;:\t`", "xyz"},
      {"!#$%&'()-@^_{}~.,0123456789", "!#$%&'()-@^_{}~.,0123456789"},
      {std::string("a\0b", 3), "ab"}};
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(CleanName(input), expected) << "input: \"" << input << "\"";
  }
}

TEST(NformatTest, PadsOnlySingleCharacters) {
  const std::pair<std::int16_t, std::string> cases[] = {
      {0, "00"},    {7, "07"},        {9, "09"},          {10, "10"},   {12, "12"},
      {99, "99"},   {100, "100"},     {123, "123"},       {255, "255"}, {-3, "-3"},
      {-10, "-10"}, {32767, "32767"}, {-32768, "-32768"},
  };
  for (const auto& [number, expected] : cases) {
    EXPECT_EQ(nformat(number), expected) << "number " << number;
  }
}

}  // namespace
}  // namespace quillfold
