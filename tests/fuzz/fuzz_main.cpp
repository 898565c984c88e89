// The libFuzzer entry point for one target, chosen at build time through
// QUILLFOLD_FUZZ_TARGET (the target's name, e.g. "clean_name").
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const quillfold::fuzz::FuzzTarget target =
      quillfold::fuzz::FindFuzzTarget(QUILLFOLD_FUZZ_TARGET);
  if (target == nullptr) std::abort();
  target(quillfold::fuzz::FuzzInput(data, size));
  return 0;
}
