#include "organize/tree_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/posix_file_system.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using ::testing::ElementsAre;

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

// one.mp3 Rock/two.MP3 Rock/Live/three.mp3 Rock/Live/notes.txt
// b.mp3 .hidden.mp3 extra.mp3/inside.mp3 link.mp3 -> one.mp3  Linked -> Rock
TEST(TreeSearchTest, FindsFilesDepthFirstOwnFilesBeforeSubfolders) {
  testing::TempFolder temp;
  for (const char* file : {"one.mp3", "Rock/two.MP3", "Rock/Live/three.mp3", "Rock/Live/notes.txt",
                           "b.mp3", ".hidden.mp3", "extra.mp3/inside.mp3"}) {
    testing::WriteFile(temp / file, file);
  }
  testing::MakeLink(temp / "link.mp3", "one.mp3");
  testing::MakeLink(temp / "Linked", "Rock");
  testing::RecordingHost host;
  FoundList found;
  FindFiles({RealFileSystem(), host, temp.path(), found}, temp.path(), kMusicPatterns);
  EXPECT_THAT(found.entries(),
              ElementsAre(".hidden.mp3", "b.mp3", "one.mp3", "extra.mp3/inside.mp3", "Rock/two.MP3",
                          "Rock/Live/three.mp3"));
}

}  // namespace
}  // namespace quillfold
