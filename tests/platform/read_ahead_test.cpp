// The read-ahead must never change a result: whole runs with it and without
// it give the same report, failure, tree and playlists byte for byte.
#include "platform/read_ahead_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "bench/library_writer.h"
#include "bench/seeded_random.h"
#include "errors/run_error.h"
#include "organize/organizer.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::FaultyFileSystem;

struct Outcome {
  std::string report;
  std::string failure;
  testing::TreeSnapshot tree;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
  *os << outcome.report << "\nfailure: " << outcome.failure;
}

struct Case {
  bench::LibraryShape shape;
  OrganizeOptions options;
  int failing_rename = 0;  // 0: none
};

Case CaseFor(std::uint64_t seed) {
  bench::SeededRandom random(seed * 104729);
  Case drawn;
  drawn.shape.files = 100 + static_cast<int>(random.Below(200));
  drawn.shape.playlists = 5;
  drawn.shape.min_playlist_lines = 5;
  drawn.shape.max_playlist_lines = 60;
  drawn.shape.empty_chains = 4;
  drawn.shape.hidden_files = 4;
  drawn.shape.links = 4;
  drawn.shape.seed = seed;
  drawn.options.chkDontDo = random.Percent(30);
  drawn.options.chkTrackName = random.Percent(50);
  drawn.options.chkIgnoreNoTrack = random.Percent(50);
  drawn.options.chkNoAlbum = random.Percent(50);
  drawn.options.chkDelDirs = random.Percent(50);
  drawn.options.chkUpdateM3U = random.Percent(80);
  if (random.Percent(50)) drawn.failing_rename = 1 + static_cast<int>(random.Below(80));
  return drawn;
}

// The disk under test is warm: without this, the reads would all be made on
// the caller's thread and nothing would be read ahead.
constexpr std::chrono::nanoseconds kAlwaysReadAhead{0};

// A fresh copy of the case's library at `base`, organised once.
Outcome RunOnce(const Case& run, const std::string& base, int jobs) {
  std::filesystem::remove_all(base);
  bench::WriteLibrary(bench::PlanLibrary(run.shape), base);
  testing::RecordingHost host;
  host.chosen_path = base;
  host.options = run.options;
  FaultyFileSystem faulty(RealFileSystem());
  if (run.failing_rename > 0) faulty.FailRenameNumber(run.failing_rename);
  std::optional<ReadAheadFileSystem> read_ahead;
  if (jobs > 1) read_ahead.emplace(faulty, jobs, kAlwaysReadAhead);
  Organizer organizer(read_ahead ? static_cast<FileSystem&>(*read_ahead) : faulty, host);
  Outcome outcome;
  try {
    organizer.OrganizeRun();
  } catch (const RunError& error) {
    outcome.failure = std::to_string(error.number()) + " " + error.description();
  }
  outcome.report = host.report;
  outcome.tree = testing::TakeSnapshot(base);
  return outcome;
}

TEST(ReadAheadTest, WholeRunsGiveTheSameResultsWithAndWithoutReadAhead) {
  const testing::TempFolder temp;
  const std::string base = temp.path() + "music";
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Case run = CaseFor(seed);
    const Outcome alone = RunOnce(run, base, 1);
    EXPECT_EQ(RunOnce(run, base, 2 + static_cast<int>(seed % 7)), alone);
  }
}

// A tail read ahead for a path that a move then fills must not be used,
// whether it was read before the move or while the move was under way.
TEST(ReadAheadTest, ATailReadBeforeOrDuringAMoveOntoItsPathIsReadAgain) {
  for (const bool during : {false, true}) {
    const testing::TempFolder temp;
    const std::string moved = temp.path() + "moved.mp3";
    const std::string target = temp.path() + "free.mp3";
    testing::WriteFile(moved, testing::TaggedMp3({"Song", "Band", "Album", 1}));
    FaultyFileSystem counted(RealFileSystem());
    ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
    const auto read_target_ahead = [&] {
      read_ahead.ExpectTail(target);
      while (counted.tail_reads() == 0) std::this_thread::yield();
    };
    if (during) {
      counted.before_rename = [&](const std::string&, const std::string&) { read_target_ahead(); };
    } else {
      read_target_ahead();
    }
    ASSERT_EQ(read_ahead.RenameNoReplace(moved, target), RenameOutcome::kRenamed);
    std::array<std::uint8_t, 128> tail{};
    EXPECT_TRUE(read_ahead.ReadOrdinaryFileTail(target, tail).read)
        << (during ? "during" : "before");
  }
}

// Tails announced and passed over (a later one was asked for) leave the
// window, so reading ahead goes on after them.
TEST(ReadAheadTest, TailsPassedOverMakeRoomForNewOnes) {
  const testing::TempFolder temp;
  FaultyFileSystem counted(RealFileSystem());
  ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
  const int window = static_cast<int>(read_ahead.Window());
  const auto path = [&](int i) { return temp.path() + std::to_string(i) + ".mp3"; };
  const auto read_ahead_until = [&](int reads) {
    for (int wait = 0; wait < 2000 && counted.tail_reads() < reads; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return counted.tail_reads();
  };
  for (int i = 0; i < 2 * window; ++i)
    testing::WriteFile(path(i), testing::TaggedMp3({"S", "B", "A", 1}));
  for (int i = 0; i < window; ++i) read_ahead.ExpectTail(path(i));
  ASSERT_EQ(read_ahead_until(window), window);
  std::array<std::uint8_t, 128> tail{};
  ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(path(window - 1), tail).read);
  for (int i = window; i < 2 * window; ++i) read_ahead.ExpectTail(path(i));
  EXPECT_EQ(read_ahead_until(2 * window), 2 * window);
}

// Tails go to the workers only while reads are slow; from the page cache
// they are read on the caller's own thread, which costs less.
TEST(ReadAheadTest, TailsAreReadAheadOnlyWhileReadsAreSlow) {
  const testing::TempFolder temp;
  const std::string first = temp.path() + "first.mp3";
  const std::string next = temp.path() + "next.mp3";
  testing::WriteFile(first, testing::TaggedMp3({"One", "Band", "Album", 1}));
  testing::WriteFile(next, testing::TaggedMp3({"Two", "Band", "Album", 2}));
  constexpr int kReads = 10;
  for (const std::chrono::microseconds delay :
       {std::chrono::microseconds(0), std::chrono::microseconds(3000)}) {
    FaultyFileSystem counted(RealFileSystem());
    counted.tail_delay = delay;
    ReadAheadFileSystem read_ahead(counted, 2, std::chrono::microseconds(500));
    std::array<std::uint8_t, 128> tail{};
    for (int read = 0; read < kReads; ++read) read_ahead.ReadOrdinaryFileTail(first, tail);
    read_ahead.ExpectTail(next);
    for (int wait = 0; wait < 100 && counted.tail_reads() == kReads; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(counted.tail_reads() > kReads, delay.count() > 0) << delay.count() << " us per read";
    EXPECT_TRUE(read_ahead.ReadOrdinaryFileTail(next, tail).read);
  }
}

// A subfolder's listing is read ahead once its folder is listed; a change
// made after that listing began, through the read-ahead or (between runs)
// behind its back, means it is listed again.
TEST(ReadAheadTest, AListingReadAheadIsNotUsedAfterAChange) {
  for (const bool between_runs : {false, true}) {
    const testing::TempFolder temp;
    testing::MakeFolders(temp.path() + "sub");
    FaultyFileSystem counted(RealFileSystem());
    ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
    read_ahead.ListFolder(temp.path());
    while (counted.calls().listings < 2) std::this_thread::yield();
    if (between_runs) {
      testing::MakeFolders(temp.path() + "sub/new");
      read_ahead.ForgetHeldFolders();
    } else {
      ASSERT_EQ(read_ahead.CreateFolderChain(temp.path() + "sub/new/"), 0);
    }
    EXPECT_EQ(read_ahead.ListFolder(temp.path() + "sub").folders, std::vector<std::string>{"new"})
        << (between_runs ? "between runs" : "through the read-ahead");
  }
}

}  // namespace
}  // namespace quillfold
