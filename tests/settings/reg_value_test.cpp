#include "settings/reg_value.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillfold {
namespace {

TEST(RegValueTest, TextOfEachKindOfValue) {
  const std::pair<RegValue, std::string> cases[] = {
      {RegValue(), ""},
      {RegValue(std::string("D:\\Music\\")), "D:\\Music\\"},
      {RegValue(std::string("a\0b", 3)), std::string("a\0b", 3)},
      {RegValue(0), "0"},
      {RegValue(-42), "-42"},
      {RegValue(std::numeric_limits<std::int32_t>::min()), "-2147483648"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(RegValueText(value), expected) << ::testing::PrintToString(value);
  }
}

TEST(RegValueTest, IntegerOfEachKindOfValueOrNothingForTextThatIsNoNumber) {
  const std::pair<RegValue, std::optional<std::int32_t>> cases[] = {
      {RegValue(), 0},
      {RegValue(7), 7},
      {RegValue(std::string("42")), 42},
      {RegValue(std::string("  -17 ")), -17},
      {RegValue(std::string("+5")), 5},
      {RegValue(std::string("2147483647")), 2147483647},
      {RegValue(std::string("-2147483648")), std::numeric_limits<std::int32_t>::min()},
      {RegValue(std::string("2147483648")), std::nullopt},
      {RegValue(std::string("")), std::nullopt},
      {RegValue(std::string("  ")), std::nullopt},
      {RegValue(std::string("checked")), std::nullopt},
      {RegValue(std::string("12abc")), std::nullopt},
      {RegValue(std::string("1.5")), std::nullopt},
      {RegValue(std::string("+-5")), std::nullopt},
      {RegValue(std::string("0x10")), std::nullopt},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(RegValueInteger(value), expected) << ::testing::PrintToString(value);
  }
}

}  // namespace
}  // namespace quillfold
