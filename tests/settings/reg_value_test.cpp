#include "settings/reg_value.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillfold {
namespace {

TEST(RegValueTest, TextAndIntegerOfEachKindOfValue) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  using S = std::string;
  const struct {
    RegValue value;
    std::string text;
    std::optional<std::int32_t> integer;
  } cases[] = {
      {std::monostate(), "", 0},
      {-42, "-42", -42},
      {kMin, "-2147483648", kMin},
      {S("a\0b", 3), S("a\0b", 3), std::nullopt},
      {S("  -17 "), "  -17 ", -17},
      {S("+5"), "+5", 5},
      {S("2147483647"), "2147483647", 2147483647},
      {S("-2147483648"), "-2147483648", kMin},
      {S("2147483648"), "2147483648", std::nullopt},
      {S(""), "", std::nullopt},
      {S("  "), "  ", std::nullopt},
      {S("12abc"), "12abc", std::nullopt},
      {S("1.5"), "1.5", std::nullopt},
      {S("+-5"), "+-5", std::nullopt},
      {S("0x10"), "0x10", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegValueText(c.value), c.text) << ::testing::PrintToString(c.value);
    EXPECT_EQ(RegValueInteger(c.value), c.integer) << ::testing::PrintToString(c.value);
  }
}

}  // namespace
}  // namespace quillfold
