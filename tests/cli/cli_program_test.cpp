// The real quillfold-cli binary in a temporary folder: standard output,
// standard error and exit status, each checked on its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::TaggedMp3;
using testing::TakeSnapshot;
using testing::TempFolder;
using testing::TreeSnapshot;
using testing::WriteFile;

class CliProgramTest : public ::testing::Test {
 protected:
  // temp/ music/ a.mp3 (untagged)  Old/b.mp3 (Band/Album/2/Bee)  list.m3u  empty/
  void SetUp() override {
    WriteFile(temp_ / "music/a.mp3", "no tag");
    WriteFile(temp_ / "music/Old/b.mp3", TaggedMp3({"Bee", "Band", "Album", 2}));
    WriteFile(temp_ / "music/list.m3u", temp_ / "music/Old/b.mp3\r\n");
    testing::MakeFolders(temp_ / "empty");
  }
  testing::ProgramResult Cli(const std::vector<std::string>& args) {
    return RunProgram(QUILLFOLD_CLI_PATH, args, temp_.path());
  }
  bool Exists(const std::string& relative) { return std::filesystem::exists(temp_ / relative); }

  TempFolder temp_;
  // The runs' journals stay inside the test's folder.
  const testing::ScopedVariable state_{"XDG_STATE_HOME", temp_ / "state"};
};

// Help and version succeed quietly; a command line that cannot run exits 2
// with its reason on standard error alone.
TEST_F(CliProgramTest, ExitStatusAndStreamsOfEveryKindOfCommandLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    bool whole_out;  // else `out` only begins it
  } cases[] = {
      {{"music", "--help"}, 0, "Usage: quillfold-cli [--apply]", false},
      {{"--version"}, 0, "quillfold-cli 1.0.33\n", true},
      {{"--apply", "--yes", "empty"}, 0, "No MP3 files found under " + temp_ / "empty/\n", true},
      {{}, 2, "", true},
      {{"--frobnicate", "music"}, 2, "", true},
      {{""}, 2, "", true},
      {{"missing"}, 2, "", true},
      {{"music/a.mp3"}, 2, "", true}};
  for (const auto& c : cases) {
    const auto result = Cli(c.args);
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(c.whole_out ? result.out : result.out.substr(0, c.out.size()), c.out);
    const bool failed = c.status != 0;
    EXPECT_EQ(failed ? result.err.substr(0, 15) : result.err, failed ? "quillfold-cli: " : "");
  }
}

// Standing in a linked folder, a relative BASE reads as the shell spells the
// current folder ($PWD), unless $PWD names some other folder.
TEST_F(CliProgramTest, ARelativeBaseIsJoinedToTheShellsCurrentFolder) {
  std::filesystem::create_directory_symlink(temp_ / "music", temp_ / "linked");
  const struct {
    std::string pwd;
    std::string base;
  } cases[] = {{temp_ / "linked", temp_ / "linked/Old/"}, {temp_ / "state", temp_ / "music/Old/"}};
  for (const auto& c : cases) {
    const testing::ScopedVariable pwd("PWD", c.pwd);
    const auto result = RunProgram(QUILLFOLD_CLI_PATH, {"Old"}, temp_ / "linked");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "Scanning Directory " + c.base + ":");
  }
}

// Without a terminal a real run needs --yes, and changes nothing without it.
// A real run, then undo: listed, reported, carried out, listed as undone; a
// second undo finds nothing left to undo.
TEST_F(CliProgramTest, RealRunNeedsYesThenUndoPutsItBack) {
  const TreeSnapshot before = TakeSnapshot(temp_ / "music");
  const auto refused = Cli({"--apply", "music"});
  EXPECT_EQ(std::tuple(refused.status, refused.out), std::tuple(3, ""));
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);
  EXPECT_EQ(TakeSnapshot(temp_ / "music"), before);

  const auto applied = Cli({"--apply", "--yes", "--remove-empty-folders", "music"});
  EXPECT_EQ(std::tuple(applied.status, applied.err), std::tuple(0, ""));
  EXPECT_NE(
      applied.out.find("The Following Directories Were Removed:\n   " + temp_ / "music/Old\n"),
      std::string::npos)
      << applied.out;
  EXPECT_EQ(ReadFile(temp_ / "music/list.m3u"), temp_ / "music/Band/Album/02. Bee.mp3\r\n");
  EXPECT_FALSE(Exists("music/Old"));

  EXPECT_NE(Cli({"--undo", "--list", "music"}).out.find("  2 files moved  not undone\n"),
            std::string::npos);
  const auto report = Cli({"--undo", "music"});
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_NE(report.out.find("\"Band/Album/02. Bee.mp3\": Move back to \"./Old/b.mp3\""),
            std::string::npos)
      << report.out;
  EXPECT_FALSE(Exists("music/Old/b.mp3"));

  const auto undone = Cli({"--undo", "--apply", "--yes", "music"});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(undone.out.rfind("Undoing Run of ", 0), 0u) << undone.out;
  EXPECT_EQ(TakeSnapshot(temp_ / "music"), before);
  EXPECT_NE(Cli({"--undo", "--list", "music"}).out.find("files moved  undone\n"),
            std::string::npos);
  EXPECT_EQ(Cli({"--undo", "--apply", "--yes", "music"}).out.rfind("No run to undo on ", 0), 0u);
}

TEST_F(CliProgramTest, FailureKeepsTheReportSoFarAndNamesTheErrorOnce) {
  // A file named like the artist folder blocks the move of b.mp3, after a.mp3
  // has moved.
  WriteFile(temp_ / "music/Band", "not a folder");
  const auto result = Cli({"--apply", "--yes", "music"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Processing Directory " + temp_ / "music/:\n\n" +
                            "The following MP3 files were moved:\n"
                            "   \"a.mp3\": Move to \"./UNSORTED - No ID3v1 Tag/a.mp3\"\n\n"
                            "Also, the following music lists were updated:\n");
  EXPECT_EQ(result.err.rfind("quillfold-cli: error ", 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_TRUE(Exists("music/UNSORTED - No ID3v1 Tag/a.mp3"));
  EXPECT_TRUE(Exists("music/Old/b.mp3"));
}

// Another process holding a folder above BASE (as a running real run does)
// keeps a real run and an undo out, changing nothing, but not a report.
TEST_F(CliProgramTest, ASecondRealRunOnAHeldFolderIsRefusedAtOnce) {
  ASSERT_EQ(Cli({"--apply", "--yes", "music"}).status, 0);
  const auto held = PosixFileSystem().HoldForRun(temp_.path());
  ASSERT_NE(held, nullptr);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--apply", "--yes", "music"},
        std::vector<std::string>{"--undo", "--apply", "--yes", "music"}}) {
    const auto result = Cli(args);
    EXPECT_NE(result.err.find("another run is changing " + temp_ / "music/"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.status, 1) << result.err;
  }
  EXPECT_TRUE(Exists("music/Band/Album/02. Bee.mp3"));
  EXPECT_EQ(Cli({"music"}).status, 0);
}

TEST_F(CliProgramTest, AReaderThatGoesAwayDoesNotCutARealRunShort) {
  const auto result = RunProgram(QUILLFOLD_CLI_PATH, {"--apply", "--yes", "music"}, temp_.path(),
                                 testing::StandardOutput::kClosedPipe);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("the report could not be written"), std::string::npos) << result.err;
  EXPECT_TRUE(Exists("music/Band/Album/02. Bee.mp3"));
  EXPECT_EQ(ReadFile(temp_ / "music/list.m3u"), temp_ / "music/Band/Album/02. Bee.mp3\r\n");
}

}  // namespace
}  // namespace quillfold
