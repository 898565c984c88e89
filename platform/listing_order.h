#pragma once

#include <string_view>

namespace quillfold {

// The order in which a folder's names are listed, the same on every machine:
// by the names upper-cased in ASCII (a-z only), then by the raw bytes.
bool ListingOrderLess(std::string_view a, std::string_view b);

}  // namespace quillfold
