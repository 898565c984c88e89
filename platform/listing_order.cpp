#include "platform/listing_order.h"

#include <algorithm>

#include "text/ascii.h"

namespace quillfold {

bool ListingOrderLess(std::string_view a, std::string_view b) {
  const auto upper_less = [](char x, char y) {
    return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upper_less)) {
    return true;
  }
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upper_less)) {
    return false;
  }
  const auto raw_less = [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), raw_less);
}

}  // namespace quillfold
