#include "settings/reg_value.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillfold {
namespace {

TEST(RegValueTest, TextOfEachKindOfValue) {
  struct Case {
    RegValue value;
    std::string expected;
  };
  const Case cases[] = {
      {std::monostate(), ""},
      {std::string("D:\\Music\\"), "D:\\Music\\"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {0, "0"},
      {-42, "-42"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegValueText(c.value), c.expected) << ::testing::PrintToString(c.value);
  }
}

TEST(RegValueTest, IntegerOfEachKindOfValueOrNothingForTextThatIsNoNumber) {
  struct Case {
    RegValue value;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {std::monostate(), 0},
      {7, 7},
      {std::string("42"), 42},
      {std::string("  -17 "), -17},
      {std::string("+5"), 5},
      {std::string("2147483647"), 2147483647},
      {std::string("-2147483648"), std::numeric_limits<std::int32_t>::min()},
      {std::string("2147483648"), std::nullopt},
      {std::string(""), std::nullopt},
      {std::string("  "), std::nullopt},
      {std::string("checked"), std::nullopt},
      {std::string("12abc"), std::nullopt},
      {std::string("1.5"), std::nullopt},
      {std::string("+-5"), std::nullopt},
      {std::string("0x10"), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegValueInteger(c.value), c.expected) << ::testing::PrintToString(c.value);
  }
}

}  // namespace
}  // namespace quillfold
