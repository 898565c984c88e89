#include "bench/lower_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "bench/library_writer.h"
#include "tests/support/temp_folder.h"

namespace quillfold::bench {
namespace {

namespace fs = std::filesystem;
using quillfold::testing::ReadFile;
using quillfold::testing::TempFolder;

// Contents of every regular .mp3 below `base`, links not followed, sorted.
std::vector<std::string> Mp3Contents(const std::string& base) {
  std::vector<std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    if (entry.is_regular_file() && !entry.is_symlink() &&
        (entry.path().extension() == ".mp3" || entry.path().extension() == ".MP3")) {
      contents.push_back(ReadFile(entry.path().string()));
    }
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

// The yardstick must do real work to be fair: every file moves, none is
// lost or overwritten, and links are neither followed nor moved.
TEST(LowerBoundTest, MovesEveryFileWithoutLosingOne) {
  TempFolder temp;
  LibraryShape shape;
  shape.files = 400;
  shape.playlists = 3;
  shape.links = 4;
  const std::string base = temp.path() + "library";
  WriteLibrary(PlanLibrary(shape), base);
  const auto before = Mp3Contents(base);

  const LowerBoundFigures figures = RunLowerBound(base);

  EXPECT_EQ(figures.files, 400u);
  EXPECT_GT(figures.moved, 350u);
  EXPECT_EQ(Mp3Contents(base), before);
  EXPECT_TRUE(fs::is_directory(base + "/UNSORTED"));
}

}  // namespace
}  // namespace quillfold::bench
