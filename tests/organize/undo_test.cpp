// Journaled real runs undone: what the user changed since is listed and left
// alone, and a journal that fails at any write leaves nothing the undo cannot
// put back, byte for byte. (The command line's signal tests undo whole runs
// on a large library.)
#include <gtest/gtest.h>

#include <filesystem>

#include "bench/library_writer.h"
#include "errors/run_error.h"
#include "organize/organizer.h"
#include "organize/undo.h"
#include "platform/posix_file_system.h"
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
RecordingHost HostFor(const std::string& base) {
  RecordingHost host;
  host.chosen_path = base;
  host.options.chkDontDo = 0;
  host.options.chkDelDirs = 1;
  return host;
}

void RealRun(const std::string& base, JournalStorage& journals) {
  RecordingHost host = HostFor(base);
  Organizer(RealFileSystem(), host, &journals).OrganizeRun();
}

UndoOutcome Undo(const std::string& base, JournalStorage& journals,
                 RecordingHost* report = nullptr) {
  RecordingHost host = HostFor(base);
  const UndoOutcome outcome = UndoLastRun(RealFileSystem(), journals, host);
  if (report != nullptr) *report = host;
  return outcome;
}

struct Library {
  testing::TempFolder temp;
  std::string base = temp.path() + "music/";

  Library(std::uint64_t seed, int files) {
    const bench::LibraryShape shape{.files = files,
                                    .playlists = 4,
                                    .min_playlist_lines = 3,
                                    .max_playlist_lines = 30,
                                    .empty_chains = 3,
                                    .hidden_files = 3,
                                    .links = 4,
                                    .seed = seed};
    bench::WriteLibrary(bench::PlanLibrary(shape), temp.path() + "music");
  }
};

// music/ Old/a.mp3  Old/b.mp3  Old/c.mp3  list.m3u (naming all three)
// After the run the user moves a away, puts a new file where b was and
// edits the playlist: those three are listed, c alone goes back.
TEST(UndoTest, WhatTheUserChangedIsListedAndNothingIsOverwritten) {
  testing::TempFolder temp;
  const std::string base = temp.path() + "music/";
  std::string list;
  for (const char* name : {"a", "b", "c"}) {
    testing::WriteFile(base + "Old/" + name + ".mp3",
                       testing::TaggedMp3({name, "Band", "Album", 1}));
    list += base + "Old/" + name + ".mp3\r\n";
  }
  testing::WriteFile(base + "list.m3u", list);
  MemoryJournalStorage journals;
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

// music/ incoming/track000.mp3  Lists/party.m3u8 (a player's: LF, relative, a URI, no last
//        line end)  Lists/cover.m3u (a picture by its bytes, naming the file too)
// The run points the playlist's entries at the moved file in their own forms
// and leaves the picture alone, naming it; undo puts back the playlist's
// bytes exactly.
TEST(UndoTest, APlayerWrittenM3u8FollowsTheRunAndUndoPutsBackItsBytes) {
  testing::TempFolder temp;
  const std::string base = temp.path() + "music/";
  testing::WriteFile(base + "incoming/track000.mp3",
                     testing::TaggedMp3({"Song", "Band", "Album", 1}));
  const std::string party = "#EXTM3U\n#EXTINF:61,Band - Song\n../incoming/track000.mp3\nfile://" +
                            base + "incoming/track000.mp3";
  const std::string picture("\x89PNG\r\n\x1A\n\0\0\0\r\n../incoming/track000.mp3\n", 38);
  testing::WriteFile(base + "Lists/party.m3u8", party);
  testing::WriteFile(base + "Lists/cover.m3u", picture);
  MemoryJournalStorage journals;
  RecordingHost host = HostFor(base);
  Organizer(RealFileSystem(), host, &journals).OrganizeRun();
  EXPECT_EQ(testing::ReadFile(base + "Lists/party.m3u8"),
            "#EXTM3U\n#EXTINF:61,Band - Song\n../Band/Album/01. Song.mp3\nfile://" + base +
                "Band/Album/01.%20Song.mp3");
  EXPECT_EQ(testing::ReadFile(base + "Lists/cover.m3u"), picture);
  EXPECT_EQ(host.events,
            (std::vector<std::string>{
                "clear", "ask:Convert Every mp3 File Under " + base + "?|Are You Sure?",
                "skipped:" + base + "Lists/cover.m3u|it is not a text file", "show"}));
  EXPECT_EQ(host.ReportLines(),
            (std::vector<std::string>{
                "Processing Directory " + base + ":", "", "The following MP3 files were moved:",
                "   \"track000.mp3\": Move to \"./Band/Album/01. Song.mp3\"", "",
                "Also, the following music lists were updated:", "   Lists/party.m3u8", "",
                "The Following Directories Were Removed:", "   " + base + "incoming"}));

  EXPECT_EQ(Undo(base, journals), UndoOutcome::kRestored);
  EXPECT_EQ(testing::ReadFile(base + "Lists/party.m3u8"), party);
  EXPECT_EQ(testing::ReadFile(base + "incoming/track000.mp3"),
            testing::TaggedMp3({"Song", "Band", "Album", 1}));
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
      const TreeSnapshot before = TakeSnapshot(library.base);
      MemoryJournalStorage journals;
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
        EXPECT_EQ(testing::PlaylistProblems(testing::PlaylistRules(library.base), before,
                                            TakeSnapshot(library.base)),
                  testing::kNoPlaylistProblems);
        Undo(library.base, journals);
      }
      Undo(library.base, journals);
      EXPECT_EQ(TakeSnapshot(library.base), before);
    }
  }
}

}  // namespace
}  // namespace quillfold
