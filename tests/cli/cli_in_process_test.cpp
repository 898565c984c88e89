// The command-line logic run in-process on a fake terminal and a temporary
// folder: flags, answers and the shape of standard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <deque>
#include <filesystem>
#include <limits>

#include "cli/cli_app.h"
#include "cli/cli_arguments.h"
#include "cli/console.h"
#include "organize/journal.h"
#include "platform/posix_file_system.h"
#include "sample_library/id3v2_bytes.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_journal_storage.h"
#include "tests/support/mp3_files.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::Exists;
using testing::FaultyFileSystem;
using testing::ReadFile;

class FakeConsole final : public Console {
 public:
  std::string out;
  std::string err;
  bool input_is_terminal = true;
  bool error_is_terminal = false;
  std::deque<std::string> input;

  void Out(std::string_view text) override { out += text; }
  void Err(std::string_view text) override { err += text; }
  bool InputIsTerminal() override { return input_is_terminal; }
  bool ErrorIsTerminal() override { return error_is_terminal; }
  std::optional<std::string> ReadLine() override {
    if (input.empty()) return std::nullopt;
    std::string line = input.front();
    input.pop_front();
    return line;
  }
  std::string home;
  std::string CurrentFolder() override { return home; }
  // No signal for the first `calm_asks` questions, SIGINT from then on.
  int calm_asks = std::numeric_limits<int>::max();
  int StopSignal() override { return asks_++ < calm_asks ? 0 : SIGINT; }

 private:
  int asks_ = 0;
};

OrganizeOptions Options(int dont_do, int track_name, int ignore_no_track, int no_album,
                        int del_dirs, int update_m3u) {
  return {dont_do, track_name, ignore_no_track, no_album, del_dirs, update_m3u};
}

TEST(CliArgumentsTest, EachFlagChangesItsOneCheckBox) {
  const struct {
    std::vector<std::string_view> args;
    OrganizeOptions options;
    bool yes;
  } cases[] = {
      {{"B"}, Options(1, 1, 1, 1, 0, 1), false},
      {{"--apply", "B"}, Options(0, 1, 1, 1, 0, 1), false},
      {{"B", "--yes"}, Options(1, 1, 1, 1, 0, 1), true},
      {{"--no-track-number", "B"}, Options(1, 0, 1, 1, 0, 1), false},
      {{"--require-track-number", "B"}, Options(1, 1, 0, 1, 0, 1), false},
      {{"--no-unknown-album", "B"}, Options(1, 1, 1, 0, 0, 1), false},
      {{"--remove-empty-folders", "B"}, Options(1, 1, 1, 1, 1, 1), false},
      {{"--no-playlists", "B"}, Options(1, 1, 1, 1, 0, 0), false},
      {{"--id3v2", "B"}, {.chkID3v2 = 1}, false},
      {{"--apply", "--yes", "--no-track-number", "--require-track-number", "--no-unknown-album",
        "--remove-empty-folders", "--no-playlists", "B"},
       Options(0, 0, 0, 0, 1, 0),
       true},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseCliArguments(c.args);
    const auto* arguments = std::get_if<CliArguments>(&parsed);
    ASSERT_NE(arguments, nullptr) << ::testing::PrintToString(c.args);
    EXPECT_EQ(arguments->options, c.options) << ::testing::PrintToString(c.args);
    EXPECT_EQ(arguments->yes, c.yes) << ::testing::PrintToString(c.args);
    EXPECT_EQ(arguments->base, "B");
    EXPECT_EQ(arguments->action, CliArguments::Action::kRun);
  }
  const struct {
    std::vector<std::string_view> args;
    int jobs;  // 0: refused
  } jobs_cases[] = {{{"B"}, kDefaultReadAheadJobs}, {{"--jobs", "1", "B"}, 1},
                    {{"--jobs=32", "B"}, 32},       {{"--jobs", "0", "B"}, 0},
                    {{"--jobs=4x", "B"}, 0},        {{"B", "--jobs"}, 0},
                    {{"--jobs", "257", "B"}, 0}};
  for (const auto& c : jobs_cases) {
    const auto parsed = ParseCliArguments(c.args);
    const auto* arguments = std::get_if<CliArguments>(&parsed);
    EXPECT_EQ(arguments ? arguments->jobs : 0, c.jobs) << ::testing::PrintToString(c.args);
  }
  const std::vector<std::string_view> dash_base = {"--", "-odd name"};
  EXPECT_EQ(std::get<CliArguments>(ParseCliArguments(dash_base)).base, "-odd name");
}

TEST(CliArgumentsTest, BaseIsMadeAbsoluteOnTheTextAlone) {
  const struct {
    std::string_view path;
    std::string_view expected;
  } cases[] = {
      {".", "/home/user/"},
      {"music", "/home/user/music/"},
      {"music/", "/home/user/music/"},
      {"../other/./x", "/home/other/x/"},
      {"/srv//music/..", "/srv/"},
      {"/", "/"},
      {"/..", "/"},
      {"a b/\xE9t\xE9", "/home/user/a b/\xE9t\xE9/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AbsoluteFolder(c.path, "/home/user"), c.expected) << c.path;
  }
}

class CliInProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console_.home = home_;
    testing::WriteFile(music_ + "song.mp3", testing::TaggedMp3({"Song", "Band", "Album", 1}));
  }
  int Run(std::vector<std::string_view> args) { return RunCli(args, console_, disk_, journals_); }
  void FreshConsole() {
    console_ = FakeConsole();
    console_.home = home_;
  }

  testing::TempFolder temp_;
  const std::string home_ = temp_ / "home";
  const std::string music_ = home_ + "/music/";
  FaultyFileSystem disk_{RealFileSystem()};
  testing::MemoryJournalStorage journals_;
  FakeConsole console_;
};

TEST_F(CliInProcessTest, OnlyYOrYesGoesOnAtTheQuestion) {
  const struct {
    std::optional<std::string> answer;
    int status;
  } cases[] = {{"n", 3}, {"", 3}, {"c", 3}, {"yess", 3}, {std::nullopt, 3}, {" YES ", 0}};
  for (const auto& c : cases) {
    FreshConsole();
    if (c.answer) console_.input.push_back(*c.answer);
    EXPECT_EQ(Run({"--apply", "music"}), c.status) << c.answer.value_or("(end of input)");
    EXPECT_EQ(console_.err, "Convert Every mp3 File Under " + music_ + "? [y/N/c] ");
    EXPECT_EQ(Exists(music_ + "song.mp3"), c.status != 0);
    EXPECT_EQ(console_.out.empty(), c.status != 0) << "no report without a run";
  }
}

TEST_F(CliInProcessTest, ProgressGoesOnlyToAStandardErrorThatIsATerminal) {
  console_.error_is_terminal = true;
  EXPECT_EQ(Run({"music"}), 0);
  EXPECT_NE(console_.err.find("File 1 of 1"), std::string::npos);
  EXPECT_EQ(console_.out.find('\x1b'), std::string::npos) << "progress never reaches stdout";
}

// A stop at every moment the run asks for one: before the first file, between
// any two, or in the searches. What moved keeps its playlist line, the journal
// is complete, and the program ends with 128 + SIGINT.
TEST_F(CliInProcessTest, AStopBetweenTwoFilesEndsTheRunWhole) {
  const std::vector<std::string> songs = {"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
  int stopped_between_files = 0;
  for (int calm = 0;; ++calm) {
    std::filesystem::remove_all(music_);
    testing::MemoryJournalStorage journals;
    std::string playlist;
    for (std::size_t i = 0; i < songs.size(); ++i) {
      const testing::TagSpec tag{"Song " + std::to_string(i), "Band", "Album",
                                 static_cast<int>(i + 1)};
      testing::WriteFile(music_ + songs[i], testing::TaggedMp3(tag));
      playlist += music_ + songs[i] + "\r\n";
    }
    testing::WriteFile(music_ + "all.m3u", playlist);
    FreshConsole();
    console_.calm_asks = calm;
    const std::vector<std::string_view> args = {"--apply", "--yes", "music"};
    const int status = RunCli(args, console_, disk_, journals);
    SCOPED_TRACE("calm for " + std::to_string(calm) + " asks");
    const std::string lines = ReadFile(music_ + "all.m3u");
    for (std::size_t start = 0; start < lines.size();) {
      const std::size_t end = lines.find("\r\n", start);
      EXPECT_TRUE(Exists(lines.substr(start, end - start))) << lines;
      start = end + 2;
    }
    for (const RunRecord& run : RunsOnBase(journals, music_, BaseKey(disk_, music_))) {
      EXPECT_TRUE(run.complete);
    }
    EXPECT_EQ(status, 128 + SIGINT);
    EXPECT_TRUE(console_.out.empty() || console_.out.ends_with('\n'));
    // Asked only after the run's last step: it did all its work.
    if (console_.err.find("as the run was ending; it finished its work") != std::string::npos) {
      break;
    }
    const auto left = std::count_if(songs.begin(), songs.end(),
                                    [&](const std::string& song) { return Exists(music_ + song); });
    stopped_between_files += left > 0 && left < static_cast<long>(songs.size());
    ASSERT_LT(calm, 100);
    EXPECT_NE(console_.err.find("quillfold-cli: interrupted by SIGINT: the run stopped"),
              std::string::npos)
        << console_.err;
  }
  EXPECT_GT(stopped_between_files, 0) << "no stop came between two moves";
}

TEST_F(CliInProcessTest, ALineBreakInANameIsShownEscapedOnItsOneLine) {
  testing::WriteFile(music_ + "two\nlines\r.mp3", "untagged");
  EXPECT_EQ(Run({"music"}), 0);
  EXPECT_NE(console_.out.find("\n   \"two\\x0Alines\\x0D.mp3\": Move to"), std::string::npos)
      << console_.out;
  EXPECT_EQ(console_.out.find('\r'), std::string::npos);
}

TEST_F(CliInProcessTest, AFileThatCannotBeReadIsNamedOnStandardErrorAndFiledAsUntagged) {
  testing::WriteFile(music_ + "locked.mp3", testing::TaggedMp3({"T", "A", "B", 1}));
  disk_.FailTailReadOf(music_ + "locked.mp3", EACCES);
  for (const std::string_view jobs : {"--jobs=1", "--jobs=8"}) {
    FreshConsole();
    EXPECT_EQ(Run({jobs, "music"}), 0);
    EXPECT_EQ(console_.err, "quillfold-cli: the tag of \"" + music_ +
                                "locked.mp3\" could not be read (Permission denied); it is "
                                "filed as a file without a tag\n");
    EXPECT_NE(console_.out.find("\"locked.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/locked.mp3\""),
              std::string::npos)
        << console_.out;
  }
}

// A file tagged as mutagen tags by default (ID3v2.4 only) beside an ID3v1
// file: the ID3v1 mode files it as untagged and says why on standard error;
// --id3v2 files it by its tag, through the read-ahead or without it.
TEST_F(CliInProcessTest, Id3v2OnlyFilesAreNamedByTheHintAndFiledWithTheOption) {
  const std::string title(60, 'x');
  const std::vector<bench::Id3v2TextFrame> frames = {{"TIT2", title},   {"TPE1", "Bj\xC3\xB6rk"},
                                                     {"TPE2", "AC/DC"}, {"TALB", "Post"},
                                                     {"TRCK", "3/12"},  {"TPOS", "2/2"}};
  testing::WriteFile(music_ + "new.mp3",
                     bench::EncodeId3v2({.frames = frames, .picture_bytes = 30 * 1024}) + "x");
  EXPECT_EQ(Run({"music"}), 0);
  EXPECT_EQ(console_.err,
            "quillfold-cli: 1 file has an ID3v2 tag but no ID3v1 tag and went to \"UNSORTED - "
            "No ID3v1 Tag\"; --id3v2 reads ID3v2 tags\n");
  EXPECT_NE(console_.out.find("\"new.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/new.mp3\""),
            std::string::npos)
      << console_.out;
  for (const std::string_view jobs : {"--jobs=1", "--jobs=8"}) {
    FreshConsole();
    EXPECT_EQ(Run({"--id3v2", jobs, "music"}), 0);
    EXPECT_EQ(console_.err, "");
    EXPECT_NE(console_.out.find("\"new.mp3\": Move to \"./ACDC/Post/2-03. " + title + ".mp3\""),
              std::string::npos)
        << console_.out;
    EXPECT_NE(console_.out.find("\"song.mp3\": Move to \"./Band/Album/01. Song.mp3\""),
              std::string::npos)
        << console_.out;
  }
}

// Links to one playlist inside the base rewrite it once; a link out of the
// base or to nothing is named on standard error and left alone.
TEST_F(CliInProcessTest, PlaylistLinksAreFollowedOnlyInsideTheBase) {
  const std::string line = music_ + "song.mp3\r\n";
  testing::WriteFile(music_ + "lists/real.list", line);
  testing::MakeLink(music_ + "a.m3u", "lists/real.list");
  testing::MakeLink(music_ + "b.m3u", music_ + "lists/real.list");
  testing::WriteFile(home_ + "/outside.m3u", line);
  testing::MakeLink(music_ + "out.m3u", home_ + "/outside.m3u");
  testing::MakeLink(music_ + "gone.m3u", "nowhere.m3u");
  EXPECT_EQ(Run({"--apply", "--yes", "music"}), 0);
  EXPECT_EQ(ReadFile(music_ + "lists/real.list"), music_ + "Band/Album/01. Song.mp3\r\n");
  EXPECT_EQ(ReadFile(home_ + "/outside.m3u"), line);
  EXPECT_TRUE(disk_.IsSymbolicLink(music_ + "a.m3u"));
  EXPECT_TRUE(console_.out.ends_with("updated:\n   lists/real.list\n")) << console_.out;
  EXPECT_EQ(console_.err, "quillfold-cli: the playlist link \"" + music_ +
                              "gone.m3u\" is not updated: it leads to no file\n"
                              "quillfold-cli: the playlist link \"" +
                              music_ +
                              "out.m3u\" is not updated: it leads outside the base folder\n");
}

}  // namespace
}  // namespace quillfold
