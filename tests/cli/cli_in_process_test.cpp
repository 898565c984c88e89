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
#include "tests/support/playlist_consistency.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::ContentsOf;
using testing::Exists;
using testing::FaultyFileSystem;
using testing::kNoPlaylistProblems;
using testing::PlaylistProblems;
using testing::PlaylistRules;
using testing::ReadFile;
using testing::TakeSnapshot;
using testing::TreeSnapshot;

class FakeConsole final : public Console {
 public:
  std::string out, err, home;
  bool input_is_terminal = true;
  bool error_is_terminal = false;
  std::deque<std::string> input;
  // No signal for the first `calm_asks` questions, SIGINT from then on.
  int calm_asks = std::numeric_limits<int>::max();

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
  std::string CurrentFolder() override { return home; }
  int StopSignal() override { return asks_++ < calm_asks ? 0 : SIGINT; }

 private:
  int asks_ = 0;
};

// The whole of what a command line parses to; nothing for a refused one.
using Parsed =
    std::optional<std::tuple<CliArguments::Action, bool, bool, OrganizeOptions, std::string, int>>;
Parsed Parse(const std::vector<std::string_view>& args) {
  const auto parsed = ParseCliArguments(args);
  const auto* a = std::get_if<CliArguments>(&parsed);
  if (a == nullptr) return std::nullopt;
  return std::tuple(a->action, a->yes, a->list, a->options, a->base, a->jobs);
}

TEST(CliArgumentsTest, FlagsSetTheirOptionsAndBadCommandLinesAreRefused) {
  using enum CliArguments::Action;
  const OrganizeOptions every_flag{0, 0, 0, 0, 1, 0, 1};
  const int jobs = kDefaultReadAheadJobs;
  const struct {
    std::vector<std::string_view> args;
    Parsed expected;
  } cases[] = {{{"B"}, std::tuple(kRun, false, false, OrganizeOptions{}, "B", jobs)},
               {{"--apply", "--yes", "--no-track-number", "--require-track-number",
                 "--no-unknown-album", "--remove-empty-folders", "--no-playlists", "--id3v2", "B"},
                std::tuple(kRun, true, false, every_flag, "B", jobs)},
               {{"--jobs", "1", "--undo", "--list", "B"},
                std::tuple(kUndo, false, true, OrganizeOptions{}, "B", 1)},
               {{"--jobs=32", "--", "-odd name"},
                std::tuple(kRun, false, false, OrganizeOptions{}, "-odd name", 32)}};
  for (const auto& c : cases) {
    EXPECT_EQ(Parse(c.args), c.expected) << ::testing::PrintToString(c.args);
  }
  const std::vector<std::string_view> refused[] = {
      {"--jobs", "0", "B"}, {"--jobs=4x", "B"}, {"B", "--jobs"}, {"--jobs", "257", "B"},
      {"--list", "B"},      {"B", "C"},         {"-x", "B"}};
  for (const auto& args : refused) {
    EXPECT_EQ(Parse(args), std::nullopt) << ::testing::PrintToString(args);
  }
}

TEST(CliArgumentsTest, BaseIsMadeAbsoluteOnTheTextAlone) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {".", "/home/user/"},
      {"music", "/home/user/music/"},
      {"music/", "/home/user/music/"},
      {"../other/./x", "/home/other/x/"},
      {"/srv//music/..", "/srv/"},
      {"/", "/"},
      {"/..", "/"},
      {"a b/\xE9t\xE9", "/home/user/a b/\xE9t\xE9/"}};
  for (const auto& [path, absolute] : cases) {
    EXPECT_EQ(AbsoluteFolder(path, "/home/user"), absolute) << path;
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
    const TreeSnapshot before = TakeSnapshot(music_);
    const int status = RunCli(args, console_, disk_, journals);
    SCOPED_TRACE("calm for " + std::to_string(calm) + " asks");
    const TreeSnapshot after = TakeSnapshot(music_);
    EXPECT_EQ(PlaylistProblems(PlaylistRules(music_), before, after), kNoPlaylistProblems);
    EXPECT_EQ(ContentsOf(after, ".mp3"), ContentsOf(before, ".mp3"));
    for (const RunSummary& run : RunsOnBase(journals, BaseKey(disk_, music_))) {
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

// Ctrl-C during --undo --apply at every moment it is asked about: the undo
// ends with 128 + SIGINT and says where it stopped; the next --undo finishes
// it, putting every song back.
TEST_F(CliInProcessTest, AStoppedUndoIsFinishedByTheNext) {
  const std::vector<std::string> songs = {"a.mp3", "b.mp3", "c.mp3"};
  int stopped_between_files = 0;
  for (int calm = 0;; ++calm) {
    std::filesystem::remove_all(music_);
    journals_.journals.clear();
    for (const std::string& song : songs) {
      testing::WriteFile(music_ + song, testing::TaggedMp3({song, "Band", "Album", 1}));
    }
    ASSERT_EQ(Run({"--apply", "--yes", "music"}), 0);
    FreshConsole();
    console_.calm_asks = calm;
    SCOPED_TRACE("calm for " + std::to_string(calm) + " asks");
    EXPECT_EQ(Run({"--undo", "--apply", "--yes", "music"}), 128 + SIGINT);
    if (console_.err.find("as the run was ending") != std::string::npos) break;
    EXPECT_NE(console_.err.find("SIGINT: the undo stopped between two files"), std::string::npos)
        << console_.err;
    stopped_between_files +=
        console_.out.find("stopped by the user after file") != std::string::npos;
    FreshConsole();
    EXPECT_EQ(Run({"--undo", "--apply", "--yes", "music"}), 0) << console_.err;
    for (const std::string& song : songs) EXPECT_TRUE(Exists(music_ + song)) << song;
    ASSERT_LT(calm, 100);
  }
  EXPECT_GT(stopped_between_files, 0) << "no stop came between two moves back";
}

// Beside song.mp3: a file whose tail cannot be read, one tagged as mutagen
// tags by default (ID3v2.4 only) and one with line breaks in its name. Each
// is named and filed alike with the read-ahead (--jobs=8) and without it;
// the ID3v1 mode files the ID3v2-only file as untagged and says why.
TEST_F(CliInProcessTest, EveryFileIsReportedAlikeWithOrWithoutTheReadAhead) {
  testing::WriteFile(music_ + "locked.mp3", testing::TaggedMp3({"T", "A", "B", 1}));
  disk_.FailTailReadOf(music_ + "locked.mp3", EACCES);
  testing::WriteFile(music_ + "two\nlines\r.mp3", "untagged");
  const std::string title(60, 'x');
  const bench::Id3v2Layout tag{.frames = {{"TIT2", title},
                                          {"TPE1", "Bj\xC3\xB6rk"},
                                          {"TPE2", "AC/DC"},
                                          {"TALB",
                                           "D\xC3\xA9"
                                           "but"},
                                          {"TRCK", "3/12"},
                                          {"TPOS", "2/2"}},
                               .picture_bytes = 30 * 1024};
  testing::WriteFile(music_ + "new.mp3", bench::EncodeId3v2(tag) + "audio");
  const struct {
    bool id3v2;
    std::string err;
    std::vector<std::string> moves;  // lines of the report
  } cases[] = {
      {false,
       "quillfold-cli: the tag of \"" + music_ +
           "locked.mp3\" could not be read (Permission denied); it is filed as a file without a "
           "tag\nquillfold-cli: 1 file has an ID3v2 tag but no ID3v1 tag and went to \"UNSORTED "
           "- No ID3v1 Tag\"; --id3v2 reads ID3v2 tags\n",
       {"\"locked.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/locked.mp3\"",
        "\"new.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/new.mp3\"",
        "\"song.mp3\": Move to \"./Band/Album/01. Song.mp3\"",
        "\"two\\x0Alines\\x0D.mp3\": Move to \"./UNSORTED - No ID3v1 "
        "Tag/two\\x0Alines\\x0D.mp3\""}},
      {true,
       "",
       {"\"new.mp3\": Move to \"./ACDC/D\xC3\xA9"
        "but/2-03. " +
            title + ".mp3\"",
        "\"song.mp3\": Move to \"./Band/Album/01. Song.mp3\""}}};
  for (const auto& c : cases) {
    for (const std::string_view jobs : {"--jobs=1", "--jobs=8"}) {
      SCOPED_TRACE(std::string(c.id3v2 ? "--id3v2 " : "") + std::string(jobs));
      FreshConsole();
      EXPECT_EQ(Run(c.id3v2 ? std::vector<std::string_view>{"--id3v2", jobs, "music"}
                            : std::vector<std::string_view>{jobs, "music"}),
                0);
      EXPECT_EQ(console_.err, c.err);
      for (const std::string& move : c.moves) {
        EXPECT_NE(console_.out.find("\n   " + move + "\n"), std::string::npos) << console_.out;
      }
      EXPECT_EQ(console_.out.find('\r'), std::string::npos);
    }
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
