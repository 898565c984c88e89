#include "organize/tree_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_host.h"

namespace quillfold {
namespace {

using ::testing::ElementsAre;
using testing::MemoryFileSystem;

TEST(MatchesPatternTest, StarMatchesAnyRunAndLetterCaseIsIgnored) {
  const struct {
    std::string_view name;
    std::string_view pattern;
    bool matches;
  } cases[] = {
      {"song.mp3", "*.mp3", true},
      {"SONG.MP3", "*.mp3", true},
      {"s.Mp3", "*.mp3", true},
      {".mp3", "*.mp3", true},
      {"song.mp3x", "*.mp3", false},
      {"song.mp", "*.mp3", false},
      {"song.mp3.m3u", "*.m3u", true},
      {"a.mp3.mp3", "*.mp3", true},
      {"mp3", "*.mp3", false},
      {"ab", "a*b*", true},
      {"", "*", true},
      {"x", "", false},
      {"\xE9.MP3", "*.mp3", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

class TreeSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { disk_.AddFolder(base_); }
  SearchScope Scope() { return {fs_, host_, base_, found_}; }
  std::string Music(const std::string& relative) { return base_ + relative; }

  MemoryFileSystem disk_{'\\', "D:\\"};
  testing::FaultyFileSystem fs_{disk_};
  testing::RecordingHost host_;
  std::string base_ = "D:\\Music\\";
  FoundList found_;
};

TEST_F(TreeSearchTest, FindsFilesDepthFirstOwnFilesBeforeSubfolders) {
  // D:\Music\ one.mp3 Rock\two.MP3 Rock\Live\three.mp3 Rock\Live\notes.txt
  //           b.mp3 .hidden.mp3 extra.mp3\inside.mp3 link.mp3 -> one.mp3  Linked -> Rock
  disk_.AddFile(Music("one.mp3"), "1");
  disk_.AddFile(Music("Rock\\two.MP3"), "2");
  disk_.AddFile(Music("Rock\\Live\\three.mp3"), "3");
  disk_.AddFile(Music("Rock\\Live\\notes.txt"), "n");
  disk_.AddFile(Music("b.mp3"), "b");
  disk_.AddFile(Music(".hidden.mp3"), "h");
  disk_.AddFile(Music("extra.mp3\\inside.mp3"), "i");
  disk_.AddLink(Music("link.mp3"), "one.mp3");
  disk_.AddLink(Music("Linked"), "Rock");
  FindFiles(Scope(), base_, "*.mp3");
  EXPECT_THAT(found_.entries(),
              ElementsAre(".hidden.mp3", "b.mp3", "one.mp3", "extra.mp3\\inside.mp3",
                          "Rock\\two.MP3", "Rock\\Live\\three.mp3"));
}

}  // namespace
}  // namespace quillfold
