#include "platform/listing_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillfold {
namespace {

TEST(ListingOrderTest, SortsByAsciiUpperCaseThenRawBytes) {
  std::vector<std::string> names = {"b.mp3", "A.mp3", "a.mp3", "_x", "Z", "\xC3\xA9", "[", "B.mp3"};
  std::sort(names.begin(), names.end(), ListingOrderLess);
  // '[' (0x5B) and '_' (0x5F) sort after 'Z' and before any lower-case
  // letter would, because letters compare upper-cased; bytes above 0x7F last.
  const std::vector<std::string> expected = {"A.mp3", "a.mp3", "B.mp3", "b.mp3",
                                             "Z",     "[",     "_x",    "\xC3\xA9"};
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(ListingOrderLess("a", "a")) << "a strict order";
}

}  // namespace
}  // namespace quillfold
