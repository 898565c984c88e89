// Journaled real runs undone: what the user changed since is listed and left
// alone, and a journal that fails at any write leaves nothing the undo cannot
// put back, byte for byte. (The command line's signal tests undo whole runs
// on a large library.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "errors/run_error.h"
#include "organize/journal.h"
#include "organize/journal_format.h"
#include "organize/organizer.h"
#include "organize/undo.h"
#include "platform/posix_file_system.h"
#include "sample_library/library_writer.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/kill_points.h"
#include "tests/support/memory_journal_storage.h"
#include "tests/support/mp3_files.h"
#include "tests/support/playlist_consistency.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace quillfold {
namespace {

using testing::MemoryJournalStorage;
using testing::RecordingHost;
using testing::TakeSnapshot;
using testing::TreeSnapshot;

// A real run on `base` that removes the folders it empties.
RecordingHost HostFor(const std::string& base, int dont_do = 0) {
  RecordingHost host;
  host.chosen_path = base;
  host.options.chkDontDo = dont_do;
  host.options.chkDelDirs = 1;
  return host;
}

RecordingHost RealRun(const std::string& base, JournalStorage& journals,
                      FileSystem& file_system = RealFileSystem()) {
  RecordingHost host = HostFor(base);
  Organizer(file_system, host, &journals).OrganizeRun();
  return host;
}

UndoOutcome Undo(const std::string& base, JournalStorage& journals, RecordingHost* report = nullptr,
                 FileSystem& file_system = RealFileSystem(), int dont_do = 0) {
  RecordingHost host = HostFor(base, dont_do);
  const UndoOutcome outcome = UndoLastRun(file_system, journals, host);
  if (report != nullptr) *report = host;
  return outcome;
}

// Throws the RunError numbered `number`.
auto ThrowsRunError(ErrorNumber number) {
  return ::testing::Throws<RunError>(::testing::Property(&RunError::error_number, number));
}

// A generated library below TEMP/music/ and the tree as written.
struct Library {
  Library(std::uint64_t seed, int files, const std::string& under = "") : temp(under) {
    bench::WriteLibrary(bench::PlanLibrary({.files = files,
                                            .playlists = 4,
                                            .min_playlist_lines = 3,
                                            .max_playlist_lines = 30,
                                            .empty_chains = 3,
                                            .hidden_files = 3,
                                            .links = 4,
                                            .seed = seed}),
                        temp.path() + "music");
    before = TakeSnapshot(base);
  }
  void ExpectPlaylistsFollow() const {
    EXPECT_EQ(testing::PlaylistProblems(testing::PlaylistRules(base), before, TakeSnapshot(base)),
              testing::kNoPlaylistProblems);
  }
  // Undoes every run on record; each must put back all it names.
  void UndoAll(JournalStorage& storage) {
    RecordingHost report;
    for (UndoOutcome outcome;
         (outcome = Undo(base, storage, &report)) != UndoOutcome::kNothingToUndo;) {
      EXPECT_EQ(outcome, UndoOutcome::kRestored) << report.report;
    }
    EXPECT_EQ(TakeSnapshot(base), before);
  }

  testing::TempFolder temp;
  std::string base = temp.path() + "music/";
  TreeSnapshot before;
  MemoryJournalStorage journals;
};

// music/ Old/a.mp3  Old/b.mp3  Old/c.mp3  list.m3u (naming all three), and
// the tree as it was before any run.
class UndoOfThreeTracksTest : public ::testing::Test {
 protected:
  UndoOfThreeTracksTest() {
    std::string list;
    for (const char* name : {"a", "b", "c"}) {
      testing::WriteFile(base + "Old/" + name + ".mp3",
                         testing::TaggedMp3({name, "Band", "Album", 1}));
      list += base + "Old/" + name + ".mp3\r\n";
    }
    testing::WriteFile(base + "list.m3u", list);
    before = TakeSnapshot(base);
  }
  testing::TempFolder temp;
  const std::string base = temp.path() + "music/";
  TreeSnapshot before;
  MemoryJournalStorage journals;
  testing::FaultyFileSystem file_system{RealFileSystem()};
};

// After the run the user moves a away, puts a new file where b was and
// edits the playlist: those three are listed, c alone goes back.
TEST_F(UndoOfThreeTracksTest, WhatTheUserChangedIsListedAndNothingIsOverwritten) {
  RealRun(base, journals);
  // A file in the journals' folder that only looks like one of this base's.
  const auto& [name, journal] = *journals.journals.begin();
  journals.journals[name.substr(0, name.find('-') + 1) + "copy.journal"] = journal;
  const std::string moved = base + "Band/Album/01. ";
  std::filesystem::rename(moved + "a.mp3", temp.path() + "a.mp3");
  testing::WriteFile(base + "Old/b.mp3", "the user's own");
  testing::WriteFile(base + "list.m3u", "edited\r\n");

  RecordingHost report;
  EXPECT_EQ(Undo(base, journals, &report), UndoOutcome::kPartlyRestored);
  EXPECT_EQ(testing::ReadFile(base + "Old/b.mp3"), "the user's own");
  EXPECT_TRUE(std::filesystem::exists(moved + "b.mp3"));
  EXPECT_EQ(testing::ReadFile(base + "list.m3u"), "edited\r\n");
  EXPECT_EQ(testing::ReadFile(base + "Old/c.mp3"), testing::TaggedMp3({"c", "Band", "Album", 1}));
  for (const std::string line :
       {"\"Band/Album/01. a.mp3\": Not Restored (no longer where the run put it)",
        "\"Band/Album/01. b.mp3\": Not Restored (its old place is taken)",
        "\"list.m3u\": Not Restored (changed since the run)"}) {
    EXPECT_NE(report.report.find(line), std::string::npos) << line << "\n" << report.report;
  }
}

// An undo stopped after its first move back lists that move and where it
// stopped; a real run is refused until the next undo, which finishes the
// rest and lists what the first had put back too.
TEST_F(UndoOfThreeTracksTest, AStoppedUndoIsFinishedByTheNext) {
  RealRun(base, journals);
  RecordingHost stopped = HostFor(base);
  stopped.stop_when = [&] { return file_system.calls().renames == 1; };
  EXPECT_THAT([&] { UndoLastRun(file_system, journals, stopped); },
              ThrowsRunError(ErrorNumber::kUserInterrupt));
  const std::vector<std::string> lines = stopped.ReportLines();
  EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()),
            (std::vector<std::string>{
                "", "The following MP3 files were moved back:",
                "   \"Band/Album/01. c.mp3\": Move back to \"./Old/c.mp3\"", "",
                "The Following Directories Were Re-created:", "   " + base + "Old", "",
                "Undo stopped by the user after file 1 of 3; the next undo finishes this one."}));
  EXPECT_NE(RunList(journals, base, RealFileSystem()).find("undo interrupted"), std::string::npos);
  EXPECT_THROW(RealRun(base, journals), RunError);
  RecordingHost finished;
  EXPECT_EQ(Undo(base, journals, &finished), UndoOutcome::kRestored);
  EXPECT_EQ(TakeSnapshot(base), before);
  for (const char* name : {"a", "b", "c"}) {
    EXPECT_NE(finished.report.find(std::string("Move back to \"./Old/") + name + ".mp3\""),
              std::string::npos)
        << finished.report;
  }
}

// Memory running out part-way through an undo ends it as error 7, as it
// ends a run, not as an exception no front end expects, its report listing
// the file it had moved back; the next undo finishes it.
TEST_F(UndoOfThreeTracksTest, RunningOutOfMemoryEndsAnUndoAsAnErrorTheNextFinishes) {
  RealRun(base, journals);
  file_system.before_rename = [&](const std::string&, const std::string&) {
    if (file_system.calls().renames == 2) throw std::bad_alloc();
  };
  RecordingHost host = HostFor(base);
  EXPECT_THAT([&] { UndoLastRun(file_system, journals, host); },
              ThrowsRunError(ErrorNumber::kOutOfMemory));
  EXPECT_EQ(host.ReportLines().back(), "   \"Band/Album/01. c.mp3\": Move back to \"./Old/c.mp3\"");
  EXPECT_EQ(Undo(base, journals), UndoOutcome::kRestored);
  EXPECT_EQ(TakeSnapshot(base), before);
}

// What another program, or another undo, made of the journal between this
// undo's list of the runs and its read under the hold: the journal is left
// as it is and nothing is moved; the undo ends saying why.
TEST_F(UndoOfThreeTracksTest, AJournalChangedAfterTheListIsLeftAsItIs) {
  RealRun(base, journals);
  const std::string journal = journals.journals.begin()->second;
  std::string undone = journal;
  for (const auto kind : {JournalRecord::Kind::kUndoStarted, JournalRecord::Kind::kUndone}) {
    AppendRecord(undone, kind, std::vector<std::string>{});
  }
  for (const std::string& changed : {std::string("not a journal any more\n"), undone}) {
    int reads = 0;
    journals.before_read = [&](const std::string& name) {
      if (++reads == 2) journals.journals[name] = changed;
    };
    EXPECT_THAT([&] { Undo(base, journals); }, ThrowsRunError(ErrorNumber::kPathFileAccessError));
    EXPECT_EQ(journals.journals.begin()->second, changed);
    EXPECT_TRUE(testing::Exists(base + "Band/Album/01. a.mp3"));
    journals.journals.begin()->second = journal;
  }
}

// A run whose playlist replace failed: mending it lets the host in before
// each of its files (twice: found, then followed in the playlists) and
// playlists: more events than the same run with nothing to mend.
TEST_F(UndoOfThreeTracksTest, MendingARunLetsTheHostIn) {
  file_system.FailReplaceOf(base + "list.m3u");
  EXPECT_THROW(RealRun(base, journals, file_system), RunError);
  const auto events = [&] {
    RecordingHost host = HostFor(base);
    int count = 0;
    host.on_pending_events = [&] { ++count; };
    Organizer(RealFileSystem(), host, &journals).OrganizeRun();
    return count;
  };
  const int mending = events();
  // 18: every step of the mend on this tree (its searches and reads, each
  // file found and followed, the playlist written), counted when written;
  // a step that stops letting the host in makes it fewer.
  EXPECT_GE(mending - events(), 18);
}

// music/ incoming/track000.mp3  incoming/track001.mp3 (the same tag, so its
//        move tries two names)  Lists/party.m3u8 (a player's: LF, relative, a
//        URI, no last line end)  Lists/cover.m3u (a picture by its bytes,
//        naming a file too)
// The run points the playlist's entries at the moved files in their own
// forms and leaves the picture alone, naming it; undo puts back the
// playlist's bytes exactly.
TEST(UndoTest, APlayerWrittenM3u8FollowsTheRunAndUndoPutsBackItsBytes) {
  testing::TempFolder temp;
  const std::string base = temp.path() + "music/";
  const std::string song = testing::TaggedMp3({"Song", "Band", "Album", 1});
  for (const std::string name : {"track000.mp3", "track001.mp3"}) {
    testing::WriteFile(base + "incoming/" + name, song);
  }
  const std::string party =
      "#EXTM3U\n../incoming/track001.mp3\n#EXTINF:61,Band - Song\n../incoming/track000.mp3\n"
      "file://" +
      base + "incoming/track000.mp3";
  const std::string picture("\x89PNG\r\n\x1A\n\0\0\0\r\n../incoming/track000.mp3\n", 38);
  testing::WriteFile(base + "Lists/party.m3u8", party);
  testing::WriteFile(base + "Lists/cover.m3u", picture);
  MemoryJournalStorage journals;
  const RecordingHost host = RealRun(base, journals);
  EXPECT_EQ(testing::ReadFile(base + "Lists/party.m3u8"),
            "#EXTM3U\n../Band/Album/01. Song.mp3.mp3\n#EXTINF:61,Band - Song\n../Band/Album/01. "
            "Song.mp3\nfile://" +
                base + "Band/Album/01.%20Song.mp3");
  EXPECT_EQ(testing::ReadFile(base + "Lists/cover.m3u"), picture);
  EXPECT_EQ(host.events,
            (std::vector<std::string>{
                "clear", "ask:Convert Every mp3 File Under " + base + "?|Are You Sure?",
                "skipped:" + base + "Lists/cover.m3u|it is not a text file", "show"}));
  EXPECT_EQ(host.ReportLines(),
            (std::vector<std::string>{
                "Processing Directory " + base + ":", "", "The following MP3 files were moved:",
                "   \"track000.mp3\": Move to \"./Band/Album/01. Song.mp3\"",
                "   \"track001.mp3\": Move to \"./Band/Album/01. Song.mp3\"", "",
                "Also, the following music lists were updated:", "   Lists/party.m3u8", "",
                "The Following Directories Were Removed:", "   " + base + "incoming"}));

  EXPECT_EQ(Undo(base, journals), UndoOutcome::kRestored);
  EXPECT_EQ(testing::ReadFile(base + "Lists/party.m3u8"), party);
  EXPECT_EQ(testing::ReadFile(base + "incoming/track000.mp3"), song);
}

// Failing the Nth append or flush stops the run with an error naming the
// journal. What the journal kept is enough either to put everything back
// or, for the next run, to point every playlist line at its moved file; and
// undoing that run and the failed one puts everything back too.
TEST(UndoTest, AFailedJournalWriteStopsTheRunBeforeAnythingUnrecorded) {
  for (const bool fail_flush : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((fail_flush ? "flush " : "append ") + std::to_string(n));
      Library library(7, 12);
      MemoryJournalStorage& journals = library.journals;
      (fail_flush ? journals.fail_flush_at : journals.fail_append_at) = n;
      try {
        RealRun(library.base, journals);
        break;  // every write of the run came before the Nth
      } catch (const RunError& error) {
        EXPECT_NE(error.description().find("journal"), std::string::npos) << error.description();
      }
      journals.fail_append_at = journals.fail_flush_at = 0;
      if (n % 2 == 0) {
        RealRun(library.base, journals);
        library.ExpectPlaylistsFollow();
        Undo(library.base, journals);
      }
      Undo(library.base, journals);
      EXPECT_EQ(TakeSnapshot(library.base), library.before);
    }
  }
}

// Where a process is killed: a real run, the next run mending it, an undo.
enum class Killed { kRun, kMend, kUndo };

// A small library in which A/x.mp3 goes to Band/Album/01. x.mp3 while
// "01. x.mp3.mp3" there holds an older file the run has yet to reach, and
// journals on the real disk.
struct KillLibrary : Library {
  KillLibrary() : Library(5, 8, testing::MemoryFolder()) {
    testing::WriteFile(base + "A/x.mp3", testing::TaggedMp3({"x", "Band", "Album", 1}));
    testing::WriteFile(base + "Band/Album/01. x.mp3.mp3", "an older file with no tag");
    testing::WriteFile(base + "x.m3u", base + "A/x.mp3\r\n");
    before = TakeSnapshot(base);
  }
  // `phase` in a child process killed at its `n`th point: each append to
  // the journal and each change to the disk has a point before and after it.
  bool KilledAt(int n, Killed phase) {
    return testing::KilledInChild([&] {
      testing::KillPoints points{n};
      testing::FaultyFileSystem file_system(RealFileSystem());
      file_system.around_change = [&] { points.Pass(); };
      testing::KillingJournalStorage storage(disk, points);
      if (phase == Killed::kUndo) {
        Undo(base, storage, nullptr, file_system);
      } else {
        RealRun(base, storage, file_system);
      }
    });
  }
  std::vector<RunSummary> Runs() { return RunsOnBase(disk, BaseKey(RealFileSystem(), base)); }
  // As a move by link and unlink would leave it, killed between the two: the
  // file of the last move tried under its old name and the name tried.
  void LeaveUnderTwoNames() {
    const std::vector<JournaledMove> moves = ReadRun(disk, Runs().back(), base).moves;
    if (moves.empty() || !testing::Exists(moves.back().old_path) ||
        testing::Exists(moves.back().targets.back())) {
      return;
    }
    std::filesystem::create_hard_link(moves.back().old_path, moves.back().targets.back());
  }
  PosixJournalStorage disk{temp.path() + "journals"};
};

// Killed anywhere, what is left is whole: undo (after the next run, which
// mends the killed one, or at once) puts the tree back byte for byte and
// lists nothing as not restored; an undo killed part-way is finished by the
// next, which a real run before it leaves to it.
TEST(UndoTest, KilledAtAnyPointTheNextUndoPutsEverythingBack) {
  for (const Killed phase : {Killed::kRun, Killed::kMend, Killed::kUndo}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE("phase " + std::to_string(static_cast<int>(phase)) + ", killed at point " +
                   std::to_string(n));
      KillLibrary library;
      ASSERT_TRUE(phase != Killed::kMend || library.KilledAt(9, phase));
      if (phase == Killed::kUndo) RealRun(library.base, library.disk);
      if (!library.KilledAt(n, phase)) break;
      const std::vector<RunSummary> runs = library.Runs();
      if (phase == Killed::kRun && n % 2 == 1 && !runs.empty()) library.LeaveUnderTwoNames();
      if (phase == Killed::kUndo && runs.back().undo_started && !runs.back().undone) {
        EXPECT_THROW(RealRun(library.base, library.disk), RunError);
      } else if (phase != Killed::kUndo && n % 2 == 0) {
        RealRun(library.base, library.disk);
        library.ExpectPlaylistsFollow();
      }
      library.UndoAll(library.disk);
    }
  }
}

// A journal's end cut short or damaged (a full disk, a crash) is passed
// over and cut off before anything is added; the run before it still undoes.
TEST(UndoTest, ATornJournalEndIsCutOffBeforeTheUndoAddsToIt) {
  for (const std::string torn :
       {"4", "12 0000abcd\tfol", "9 00000000\tcomplete\n", "8 00000000\tcomplete\n", "\n\n"}) {
    Library library(3, 6);
    RealRun(library.base, library.journals);
    std::string& journal = library.journals.journals.begin()->second;
    const std::string whole = journal;
    journal += torn;
    EXPECT_EQ(ParseJournal(journal).whole_bytes, whole.size());
    EXPECT_EQ(Undo(library.base, library.journals), UndoOutcome::kRestored);
    EXPECT_TRUE(journal.starts_with(whole));
    EXPECT_EQ(ParseJournal(journal).whole_bytes, journal.size()) << torn;
    EXPECT_EQ(TakeSnapshot(library.base), library.before);
  }
}

// Folders the run removed come back with their owner, group and mode; a
// playlist the run could not write leaves its run to be mended by the next.
TEST(UndoTest, RemovedFoldersComeBackAsTheyWereAndUnwrittenPlaylistsAreMended) {
  Library library(9, 10);
  const std::tuple<const char*, mode_t, uid_t> folders[] = {{"private", 0700, 65534},
                                                            {"shared", 02770, 0}};
  for (const auto& [name, mode, owner] : folders) {
    testing::MakeFolders(library.base + name);
    chmod((library.base + name).c_str(), mode);
    if (chown((library.base + name).c_str(), owner, 100) != 0) {
      GTEST_SKIP() << "only the superuser can give folders away";
    }
  }
  library.before = TakeSnapshot(library.base);
  testing::FaultyFileSystem faulty(RealFileSystem());
  for (const auto& [path, content] : library.before.files) {
    if (path.ends_with(".m3u")) faulty.FailReplaceOf(library.base + path);
  }
  EXPECT_THROW(RealRun(library.base, library.journals, faulty), RunError);
  const std::string mended = RealRun(library.base, library.journals).report;
  EXPECT_NE(mended.find("Was Interrupted; the following music lists were mended:"),
            std::string::npos)
      << mended;
  library.ExpectPlaylistsFollow();
  library.UndoAll(library.journals);
  for (const auto& [name, mode, owner] : folders) {
    struct stat info {};
    ASSERT_EQ(stat((library.base + name).c_str(), &info), 0);
    EXPECT_EQ(std::tuple(info.st_mode & 07777u, info.st_uid, info.st_gid),
              std::tuple(mode, owner, 100u))
        << name;
  }
}

// Journals of a base that is gone are pruned with the rest, oldest first.
TEST(UndoTest, JournalsArePrunedAcrossAllBases) {
  Library library(1, 4);
  auto& journals = library.journals.journals;
  for (int run = 1; run <= 30; ++run) {
    journals["00000000000000ab-" + std::string(18, '0') + std::to_string(run + 10) + ".journal"] =
        "an old run";
  }
  RealRun(library.base, library.journals);
  ASSERT_EQ(journals.size(), kJournalsKeptPerBase + 1);
  EXPECT_EQ(journals.begin()->first, "00000000000000ab-00000000000000000021.journal");
  EXPECT_TRUE(journals.rbegin()->first.ends_with("00000000000000000041.journal"));
}

// The clock set back between two runs, so the second's journal says it
// started a day before the first's: undo goes by the journals' sequence,
// the second run first, and then the first layout comes back too.
TEST(UndoTest, RunsAreUndoneNewestFirstByTheirSequenceWhenTheClockWasSetBack) {
  Library library(4, 6);
  RealRun(library.base, library.journals);
  testing::WriteFile(library.base + "new.mp3", testing::TaggedMp3({"Song", "Band", "Album", 1}));
  const TreeSnapshot between = TakeSnapshot(library.base);
  RealRun(library.base, library.journals);
  ASSERT_EQ(library.journals.journals.size(), 2u);
  std::int64_t started_ns = 2'000'000'000'000'000'000;
  for (auto& [name, bytes] : library.journals.journals) {
    std::vector<JournalRecord> records = ParseJournal(bytes).records;
    records.front().fields[2] = std::to_string(started_ns -= 86'400'000'000'000);
    bytes.clear();
    for (const JournalRecord& record : records) AppendRecord(bytes, record.kind, record.fields);
  }
  EXPECT_EQ(Undo(library.base, library.journals), UndoOutcome::kRestored);
  EXPECT_EQ(TakeSnapshot(library.base), between);
  EXPECT_EQ(Undo(library.base, library.journals), UndoOutcome::kRestored);
  TreeSnapshot restored = TakeSnapshot(library.base);
  EXPECT_EQ(restored.files.erase("new.mp3"), 1u);
  EXPECT_EQ(restored, library.before);
}

// Two files whose tracks were swapped: the preview of the undo says what
// the undo does, which is moving them back and nothing else, and a rerun
// changes nothing and writes no journal.
TEST(UndoTest, ThePreviewOfAnUndoOfSwappedTracksAgreesWithTheUndo) {
  testing::TempFolder temp;
  const std::string base = temp.path() + "music/";
  for (const int track : {2, 1}) {
    testing::WriteFile(base + "Band/Album/0" + std::to_string(3 - track) + ". Song.mp3",
                       testing::TaggedMp3({"Song", "Band", "Album", track}));
  }
  const TreeSnapshot before = TakeSnapshot(base);
  MemoryJournalStorage journals;
  for (int run = 0; run < 3; ++run) RealRun(base, journals);
  EXPECT_EQ(journals.journals.size(), 2u) << "a run that changed nothing left a journal";
  for (int run = 0; run < 2; ++run) {
    RecordingHost preview, undo;
    EXPECT_EQ(Undo(base, journals, &preview, RealFileSystem(), 1), UndoOutcome::kRestored);
    EXPECT_EQ(Undo(base, journals, &undo), UndoOutcome::kRestored);
    EXPECT_EQ(preview.ReportLines().size(), undo.ReportLines().size()) << preview.report;
    EXPECT_NE(undo.ReportLines().back().find("Move back to"), std::string::npos) << undo.report;
  }
  EXPECT_EQ(TakeSnapshot(base), before);
}

// The same base by another name, through a linked folder or renamed since
// the run, is the same base to undo.
TEST(UndoTest, ABaseNamedThroughALinkOrRenamedHasItsRunsUndone) {
  for (const bool renamed : {false, true}) {
    Library library(2, 6);
    RealRun(library.base, library.journals);
    const std::string other = library.temp.path() + "other/";
    if (renamed) {
      std::filesystem::rename(library.base, other);
    } else {
      testing::MakeLink(library.temp.path() + "other", library.base);
    }
    EXPECT_EQ(Undo(other, library.journals), UndoOutcome::kRestored) << renamed;
    EXPECT_EQ(TakeSnapshot(other), library.before) << renamed;
  }
}

}  // namespace
}  // namespace quillfold
