// The real quillfold-cli binary in a temporary folder: standard output,
// standard error and exit status, each checked on its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/posix_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::TaggedMp3;
using testing::TempFolder;
using testing::WriteFile;

class CliProgramTest : public ::testing::Test {
 protected:
  // temp/ music/ a.mp3 (untagged)  Old/b.mp3 (Band/Album/2/Bee)  list.m3u
  void SetUp() override {
    // The runs' journals stay inside the test's folder.
    setenv("XDG_STATE_HOME", (temp_ / "state").c_str(), 1);
    WriteFile(temp_ / "music/a.mp3", "no tag");
    WriteFile(temp_ / "music/Old/b.mp3", TaggedMp3({"Bee", "Band", "Album", 2}));
    WriteFile(temp_ / "music/list.m3u", temp_ / "music/Old/b.mp3\r\n");
  }
  testing::ProgramResult Cli(const std::vector<std::string>& args) {
    return RunProgram(QUILLFOLD_CLI_PATH, args, temp_.path());
  }
  bool Exists(const std::string& relative) { return std::filesystem::exists(temp_ / relative); }

  TempFolder temp_;
};

TEST_F(CliProgramTest, HelpAndVersion) {
  const auto help = Cli({"music", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: quillfold-cli [--apply]", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  const auto version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillfold-cli 1.0.33\n");
  EXPECT_EQ(version.err, "");
}

TEST_F(CliProgramTest, UsageErrorsExitTwoWithNothingOnStandardOutput) {
  const std::vector<std::vector<std::string>> cases = {
      {},   {"--apply"}, {"--frobnicate", "music"}, {"-x", "music"},    {"music", "other"},
      {""}, {"missing"}, {"music/a.mp3"},           {"--list", "music"}};
  for (const auto& args : cases) {
    const auto result = Cli(args);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(result.out, "") << ::testing::PrintToString(args);
    EXPECT_NE(result.err.find("quillfold-cli: "), std::string::npos)
        << ::testing::PrintToString(args);
  }
}

// Standing in a linked folder, a relative BASE reads as the shell spells the
// current folder ($PWD), unless $PWD names some other folder.
TEST_F(CliProgramTest, ARelativeBaseIsJoinedToTheShellsCurrentFolder) {
  std::filesystem::create_directory_symlink(temp_ / "music", temp_ / "linked");
  const std::string saved = std::getenv("PWD") ? std::getenv("PWD") : "";
  const struct {
    std::string pwd;
    std::string base;
  } cases[] = {{temp_ / "linked", temp_ / "linked/Old/"}, {temp_ / "state", temp_ / "music/Old/"}};
  for (const auto& c : cases) {
    setenv("PWD", c.pwd.c_str(), 1);
    const auto result = RunProgram(QUILLFOLD_CLI_PATH, {"Old"}, temp_ / "linked");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "Scanning Directory " + c.base + ":");
  }
  setenv("PWD", saved.c_str(), 1);
}

TEST_F(CliProgramTest, RealRunWithoutATerminalNeedsYes) {
  const auto refused = Cli({"--apply", "music"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);
  EXPECT_TRUE(Exists("music/Old/b.mp3"));

  const auto applied = Cli({"--apply", "--yes", "--remove-empty-folders", "music"});
  EXPECT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(applied.err, "");
  EXPECT_NE(
      applied.out.find("The Following Directories Were Removed:\n   " + temp_ / "music/Old\n"),
      std::string::npos)
      << applied.out;
  EXPECT_EQ(ReadFile(temp_ / "music/list.m3u"), temp_ / "music/Band/Album/02. Bee.mp3\r\n");
  EXPECT_FALSE(Exists("music/Old"));
}

// A real run, then undo: listed, reported, carried out, listed as undone;
// a second undo finds nothing left to undo.
TEST_F(CliProgramTest, UndoReportsThenPutsTheRunBack) {
  ASSERT_EQ(Cli({"--apply", "--yes", "--remove-empty-folders", "music"}).status, 0);
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
  EXPECT_EQ(ReadFile(temp_ / "music/Old/b.mp3"), TaggedMp3({"Bee", "Band", "Album", 2}));
  EXPECT_EQ(ReadFile(temp_ / "music/list.m3u"), temp_ / "music/Old/b.mp3\r\n");
  EXPECT_FALSE(Exists("music/Band"));
  EXPECT_NE(Cli({"--undo", "--list", "music"}).out.find("files moved  undone\n"),
            std::string::npos);
  EXPECT_EQ(Cli({"--undo", "--apply", "--yes", "music"}).out.rfind("No run to undo on ", 0), 0u);
}

TEST_F(CliProgramTest, NoMusicFilesIsOneLineAndSuccess) {
  std::filesystem::create_directories(temp_ / "empty");
  const auto result = Cli({"--apply", "--yes", "empty"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "No MP3 files found under " + temp_ / "empty/\n");
  EXPECT_EQ(result.err, "");
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
