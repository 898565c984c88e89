// The changed playlists are written on threads of their own while the next
// ones are recorded in the journal: a replacement may never come before its
// playlist's record is flushed, whether the journal takes every record or
// fails part-way.
#include "organize/playlist_replacement.h"

#include <gtest/gtest.h>

#include <mutex>

#include "platform/forwarding_file_system.h"
#include "platform/posix_file_system.h"
#include "tests/support/memory_journal_storage.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// Notes each playlist replaced before the journal's flushed bytes named it.
class CheckingFileSystem final : public ForwardingFileSystem {
 public:
  CheckingFileSystem(FileSystem& inner, testing::MemoryJournalStorage& journals)
      : ForwardingFileSystem(inner), journals_(journals) {}
  void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) override {
    if (journals_.Flushed().find(path) == std::string::npos) {
      const std::lock_guard lock(mutex_);
      unrecorded.push_back(path);
    }
    inner_.ReplaceTextFileInPieces(path, content);
  }
  std::vector<std::string> unrecorded;  // read once the writers are done

 private:
  testing::MemoryJournalStorage& journals_;
  std::mutex mutex_;
};

// 24 playlists of about 40 KiB each, every line naming a file of its own
// that moved: their records take several flushes, and the texts of later
// playlists' lines are made while earlier ones are written. The journal
// fails at its third flush, or memory runs out at the 13th playlist, whose
// first line is in other letter case (and so asks whether it names a file
// of its own): either way the playlists handed over before are written and
// listed, and no other one is touched.
TEST(PlaylistReplacementTest, APlaylistIsReplacedOnlyOnceItsRecordIsFlushed) {
  constexpr int kPlaylists = 24;
  constexpr int kOddCaseSlot = 13;
  const struct {
    int fail_flush_at;
    bool out_of_memory;
    std::optional<ErrorNumber> failure;
  } cases[] = {{0, false, std::nullopt},
               {3, false, ErrorNumber::kDiskFull},
               {0, true, ErrorNumber::kOutOfMemory}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.fail_flush_at << " " << c.out_of_memory);
    testing::TempFolder temp;
    const std::string base = temp.path();
    PlaylistStore store;
    store.SetBaseFolder(base, '/');
    store.SetPlaylistCount(kPlaylists);
    std::vector<std::string> old_contents, names;
    for (int slot = 1; slot <= kPlaylists; ++slot) {
      std::string& old_content = old_contents.emplace_back();
      for (int line = 0; line < 1000; ++line) {
        names.push_back(std::to_string(slot) + "-" + std::to_string(line) + ".mp3");
        const std::string path = base + names.back();
        old_content += (slot == kOddCaseSlot && line == 0 ? AsciiUpper(path) : path) + "\r\n";
      }
      store.SetPlaylistName(slot, "list" + std::to_string(slot) + ".m3u");
      testing::WriteFile(base + store.PlaylistName(slot), old_content);
      store.SetPlaylistContent(slot, old_content);
    }
    for (const std::string& name : names) store.FileMoved(base + name, base + "moved/" + name);
    testing::MemoryJournalStorage storage;
    storage.fail_flush_at = c.fail_flush_at;
    const auto journal = RunJournal::Begin(storage, base, "key", OrganizeOptions{});
    testing::RecordingHost host;
    CheckingFileSystem file_system(RealFileSystem(), storage);

    const NamesOtherFile names_other_file = [&](const std::string&) -> bool {
      if (c.out_of_memory) throw std::bad_alloc();
      return false;
    };
    const PlaylistsReplaced replaced =
        ReplaceChangedPlaylists(file_system, base, store, names_other_file, journal.get(), host);
    EXPECT_EQ(file_system.unrecorded, std::vector<std::string>{});
    EXPECT_EQ(replaced.first_failure ? std::optional(replaced.first_failure->error_number())
                                     : std::nullopt,
              c.failure);
    if (!c.out_of_memory) {
      EXPECT_GT(storage.flushes, 2) << "the records went in batches";
    }
    std::vector<int> written;
    for (int slot = 1; slot <= kPlaylists; ++slot) {
      const std::string& old_content = old_contents[slot - 1];
      const std::string content = testing::ReadFile(base + store.PlaylistName(slot));
      if (content != old_content) written.push_back(slot);
      EXPECT_EQ(content == old_content ? old_content : store.PlaylistContent(slot), content);
    }
    EXPECT_EQ(replaced.written, written);
    EXPECT_EQ(written.size() == kPlaylists, !c.failure) << written.size();
    EXPECT_FALSE(written.empty()) << "the first batch is written before the failure";
  }
}

}  // namespace
}  // namespace quillfold
