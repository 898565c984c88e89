// Replays every input kept under tests/fuzz/regressions/<target>/ (inputs a
// fuzzer once broke, plus hand-made boundary cases) through its fuzz target
// in the ordinary test suite, so a fixed fault cannot come back unnoticed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzRegressionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzRegressionTest, EveryKeptInputKeepsTheTargetsRules) {
  const FuzzTarget target = FindFuzzTarget(GetParam());
  ASSERT_NE(target, nullptr) << GetParam();
  const fs::path folder = fs::path(QUILLFOLD_FUZZ_REGRESSIONS) / GetParam();
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::vector<std::uint8_t> input = ReadBytes(entry.path());
    // A broken rule aborts; running each input in a child names the input.
    EXPECT_EXIT((target(FuzzInput(input)), std::exit(0)), ::testing::ExitedWithCode(0), "")
        << entry.path();
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no kept inputs in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressionTest,
                         ::testing::Values("decode_track_tag", "clean_name", "parse_hive",
                                           "split_playlist_lines", "read_id3v2", "parse_journal"),
                         [](const auto& param_info) { return param_info.param; });

}  // namespace
}  // namespace quillfold::fuzz
