// Journals on the real disk: appends go through a mapping of the file that
// grows a mebibyte at a time, and what a run or a kill leaves must read back.
#include "platform/journal_storage.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/kill_points.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

// Appends land whole and in order across the mapping's chunks, each opening
// goes on at the file's end, and a closed journal holds its bytes and no
// more, read in pieces; one whose process died without closing
// keeps them, zeros after.
TEST(PosixJournalStorageTest, AppendsReadBackAcrossChunksAndReopenings) {
  testing::TempFolder temp;
  PosixJournalStorage storage(temp.path() + "journals");
  std::string expected;
  for (const std::size_t bytes : {10u, 700'000u, 700'000u, 2'500'000u, 5u}) {
    const auto file = storage.OpenJournal("run.journal");
    for (int piece = 0; piece < 2; ++piece) {
      const std::string text(bytes, static_cast<char>('a' + expected.size() % 26));
      file->Append(text);
      expected += text;
    }
    file->Flush();
  }
  // The same bytes, in several pieces; and no more pieces once the reader
  // has had enough.
  int pieces = 0;
  const auto whole = [&] {
    std::string joined;
    pieces = 0;
    storage.ReadJournalInPieces("run.journal", [&](std::string_view piece) {
      joined += piece;
      return ++pieces > 0;
    });
    return joined;
  };
  EXPECT_EQ(whole(), expected);
  EXPECT_GT(pieces, 1);
  pieces = 0;
  storage.ReadJournalInPieces("run.journal", [&](std::string_view) { return ++pieces < 2; });
  EXPECT_EQ(pieces, 2);
  testing::KilledInChild([&] {
    const auto file = storage.OpenJournal("run.journal");
    file->Append("killed");
    testing::KillPoints{1}.Pass();
  });
  const std::string left = whole();
  EXPECT_EQ(left.substr(0, expected.size() + 6), expected + "killed");
  EXPECT_EQ(left.find_first_not_of('\0', expected.size() + 6), std::string::npos);
}

}  // namespace
}  // namespace quillfold
