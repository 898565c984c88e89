#include "sample_library/seeded_random.h"

#include <cmath>

namespace quillfold::bench {

std::size_t SeededRandom::Skewed(std::size_t bound) {
  // Inverse of the 1/(k+1) law: exp of a uniform point on [0, ln(bound+1)).
  const double uniform = static_cast<double>(engine_() >> 11) * 0x1.0p-53;
  const double k = std::exp(uniform * std::log(static_cast<double>(bound) + 1.0)) - 1.0;
  const auto index = static_cast<std::size_t>(k);
  return index < bound ? index : bound - 1;
}

}  // namespace quillfold::bench
