#pragma once

#include <cstdint>
#include <random>

namespace quillfold::bench {

// A seeded source of choices. Built only on mt19937_64's raw output, whose
// sequence the standard fixes, so one seed gives one library everywhere.
class SeededRandom {
 public:
  explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}

  // A number in [0, bound), bound > 0.
  std::uint64_t Below(std::uint64_t bound) { return engine_() % bound; }
  // A number in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low + 1)));
  }
  // True with the given chance in percent.
  bool Percent(int chance) { return Below(100) < static_cast<std::uint64_t>(chance); }
  // A number in [0, bound) that favours small values: index k is chosen
  // about as often as 1/(k+1), so a few of many slots get most picks.
  std::size_t Skewed(std::size_t bound);

  // One element of a non-empty array or vector.
  template <typename Items>
  const auto& Pick(const Items& items) {
    return items[Below(items.size())];
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace quillfold::bench
