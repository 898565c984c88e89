// The read-ahead's own rules: what it read ahead is never used once a change
// may have made it stale, and it reads ahead only while that pays. (The
// whole-run property test runs its real runs through it.)
#include "platform/read_ahead_file_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "platform/forwarding_file_system.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/mp3_files.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::FaultyFileSystem;

// The disk under test is warm: without this, the reads would all be made on
// the caller's thread and nothing would be read ahead.
constexpr std::chrono::nanoseconds kAlwaysReadAhead{0};

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
    std::array<std::uint8_t, 128> tail{};
    // As a run does, the moved file is read first: the move's file is known.
    ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(moved, tail).read);
    const auto read_target_ahead = [&] {
      read_ahead.ExpectTail(target);
      while (counted.tail_reads() == 1) std::this_thread::yield();
    };
    if (during) {
      counted.before_rename = [&](const std::string&, const std::string&) { read_target_ahead(); };
    } else {
      read_target_ahead();
    }
    ASSERT_EQ(read_ahead.RenameNoReplace(moved, target), RenameOutcome::kRenamed);
    EXPECT_TRUE(read_ahead.ReadOrdinaryFileTail(target, tail).read)
        << (during ? "during" : "before");
  }
}

// A move onto "free.mp3" fills "FREE.MP3." too where a file system ignores
// letter case and trailing dots, and other spellings where it compares names
// decomposed, upper-cased or without ignorable code points: a tail read
// ahead under any spelling that may name the move's target is read again;
// one under a name that no file system takes for it is used.
TEST(ReadAheadTest, AReadAheadOfAnotherSpellingOfAMovesTargetIsReadAgain) {
  const struct {
    std::string read_ahead;
    std::string target;
    bool read_again;
  } cases[] = {
      {"FREE.MP3.", "free.mp3", true},
      {"Caf\u00E9.mp3", "Cafe\u0301.MP3", true},  // composed and decomposed
      {"\u0131.mp3", "I.mp3", true},              // dotless i, upper-cased
      {"\u212A.mp3", "k.mp3", true},              // the Kelvin sign, folded
      {"a\u00ADb.mp3", "ab.mp3", true},           // a soft hyphen, ignorable
      {"caf\xE9.mp3", "x.mp3", true},             // not UTF-8: may be anything
      {"FREE~1.MP3", "free.mp3", true},           // may be a short alias
      {"Caf\u00E9.mp3", "Cafe.mp3", false},
      {"song.mp3", "free.mp3", false},
  };
  for (const auto& c : cases) {
    const testing::TempFolder temp;
    testing::WriteFile(temp.path() + "moved.mp3", testing::TaggedMp3({"S", "B", "A", 1}));
    FaultyFileSystem counted(RealFileSystem());
    ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
    const std::string spelling = temp.path() + c.read_ahead;
    std::array<std::uint8_t, 128> tail{};
    ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(temp.path() + "moved.mp3", tail).read);
    read_ahead.ExpectTail(spelling);
    while (counted.tail_reads() == 1) std::this_thread::yield();
    ASSERT_EQ(read_ahead.RenameNoReplace(temp.path() + "moved.mp3", temp.path() + c.target),
              RenameOutcome::kRenamed);
    read_ahead.ReadOrdinaryFileTail(spelling, tail);
    EXPECT_EQ(counted.tail_reads(), c.read_again ? 3 : 2) << c.read_ahead << " " << c.target;
  }
}

// A move leaves alone what was read ahead of other files, even of one by
// the same name in another folder (every album has its "01 Intro.mp3"),
// and makes stale what was read of the file it moved, under any name.
TEST(ReadAheadTest, AMoveMakesStaleOnlyTheReadsOfTheFileItMoved) {
  const struct {
    const char* other;  // the file read ahead, beside the moved one
    bool linked;        // it is the moved file, hard-linked
    bool moved_read_first;
    bool read_again;
  } cases[] = {
      {"another file of the same name", false, true, false},
      {"the moved file itself, under the same name", true, true, true},
      {"another file of the same name, the moved one unread", false, false, true},
  };
  for (const auto& c : cases) {
    const testing::TempFolder temp;
    const std::string moved = temp.path() + "a/x.mp3";
    const std::string other = temp.path() + "b/x.mp3";
    testing::MakeFolders(temp.path() + "b");
    testing::WriteFile(moved, testing::TaggedMp3({"One", "Band", "Album", 1}));
    if (c.linked) {
      std::filesystem::create_hard_link(moved, other);
    } else {
      testing::WriteFile(other, testing::TaggedMp3({"Two", "Band", "Album", 2}));
    }
    FaultyFileSystem counted(RealFileSystem());
    ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
    read_ahead.ExpectTail(other);
    while (counted.tail_reads() == 0) std::this_thread::yield();
    std::array<std::uint8_t, 128> tail{};
    if (c.moved_read_first) {
      ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(moved, tail).read);
    }
    const int reads = counted.tail_reads();
    ASSERT_EQ(read_ahead.RenameNoReplace(moved, temp.path() + "x.mp3"), RenameOutcome::kRenamed);
    ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(other, tail).read);
    EXPECT_EQ(counted.tail_reads(), reads + (c.read_again ? 1 : 0)) << c.other;
  }
}

// Files are taken for reading ahead only while what is read ahead fits the
// budget; tails passed over (a later one was asked for) leave, making room
// for as many new ones.
TEST(ReadAheadTest, TailsPassedOverMakeRoomForNewOnes) {
  const testing::TempFolder temp;
  FaultyFileSystem counted(RealFileSystem());
  ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead, 4096);
  const auto path = [&](int i) { return temp.path() + std::to_string(i) + ".mp3"; };
  // Announces files from `first` on, each once the one before is read, until
  // one is refused; says how many were taken.
  const auto announce_from = [&](int first) {
    int taken = 0;
    for (; taken < 100; ++taken) {
      testing::WriteFile(path(first + taken), testing::TaggedMp3({"S", "B", "A", 1}));
      const int reads = counted.tail_reads();
      if (!read_ahead.ExpectTail(path(first + taken))) break;
      while (counted.tail_reads() == reads) std::this_thread::yield();
    }
    return taken;
  };
  const int taken = announce_from(0);
  ASSERT_GE(taken, 2);
  ASSERT_LT(taken, 100);
  std::array<std::uint8_t, 128> tail{};
  ASSERT_TRUE(read_ahead.ReadOrdinaryFileTail(path(taken - 1), tail).read);
  EXPECT_EQ(announce_from(taken), taken);
}

// A tag reader: a head with the tail, then bytes further in.
void ReadTwoParts(FileSystem& file_system, const std::string& path) {
  std::array<std::uint8_t, 4> bytes{};
  file_system.ReadOrdinaryFileParts(path, 0, bytes, bytes);
  file_system.ReadOrdinaryFileParts(path, 6, bytes, {});
}

// The run's reads of a file whose tag reader ran ahead are answered from
// what the reader read, until a change may have touched the file.
TEST(ReadAheadTest, AReadersReadsAreReplayedUntilAChange) {
  const testing::TempFolder temp;
  const std::string path = temp.path() + "a.mp3";
  testing::WriteFile(path, "0123456789");
  for (const bool change : {false, true}) {
    FaultyFileSystem counted(RealFileSystem());
    ReadAheadFileSystem read_ahead(counted, 2, kAlwaysReadAhead);
    read_ahead.ExpectReadsOf(path, ReadTwoParts, 8);
    while (counted.part_offsets().size() < 2) std::this_thread::yield();
    std::array<std::uint8_t, 4> head{};
    std::array<std::uint8_t, 4> tail{};
    EXPECT_EQ(read_ahead.ReadOrdinaryFileParts(path, 0, head, tail).head_bytes, 4u);
    if (change) {
      EXPECT_EQ(read_ahead.CreateFolderChain(temp.path() + "x/"), 0);
    }
    EXPECT_EQ(read_ahead.ReadOrdinaryFileParts(path, 6, head, {}).head_bytes, 4u);
    EXPECT_EQ(std::string(head.begin(), head.end()) + std::string(tail.begin(), tail.end()),
              "67896789");
    EXPECT_EQ(counted.part_offsets().size(), change ? 3u : 2u);
  }
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

// Holds each tail read until released, and notes whether one was under way
// when it was told to let go of what it holds.
class HeldReads final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) override {
    reading = true;
    released.wait();
    const TailRead read = ForwardingFileSystem::ReadOrdinaryFileTail(path, tail);
    reading = false;
    return read;
  }
  void ForgetHeldFolders() override {
    reading_when_let_go = reading.load();
    ForwardingFileSystem::ForgetHeldFolders();
  }

  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> reading{false};
  bool reading_when_let_go = false;
};

// A read a worker has begun when a run lets go of what it holds ends before
// the file system below lets go: nothing it opens stays open after the run,
// where it would keep a USB stick busy.
TEST(ReadAheadTest, LettingGoWaitsForTheReadsUnderWay) {
  const testing::TempFolder temp;
  const std::string path = temp.path() + "a.mp3";
  testing::WriteFile(path, testing::TaggedMp3({"Song", "Band", "Album", 1}));
  HeldReads held(RealFileSystem());
  ReadAheadFileSystem read_ahead(held, 1, kAlwaysReadAhead);
  read_ahead.ExpectTail(path);
  while (!held.reading) std::this_thread::yield();
  read_ahead.ForgetExpected();
  std::thread letting_go([&] { read_ahead.ForgetHeldFolders(); });
  // Long enough for a letting go that does not wait to reach the file system.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  held.release.set_value();
  letting_go.join();
  EXPECT_FALSE(held.reading_when_let_go);
}

}  // namespace
}  // namespace quillfold
