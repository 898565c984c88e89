#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "organize/organize_options.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

// The journals kept per base folder; starting a run removes the oldest
// beyond this many. Change it here.
inline constexpr std::size_t kJournalsKeptPerBase = 20;

// Appends between two flushes of a journal to the disk.
inline constexpr int kAppendsPerFlush = 1024;

// One record of a run's journal, as read back.
struct JournalRecord {
  enum class Kind {
    kRun,  // fields: base folder, options (the six check boxes' digits in order, then chkID3v2's)
    kFolderCreated,  // fields: folder (no trailing separator), recorded before it is made
    kMove,           // fields: old path, target path as decided; recorded before the rename
    kMoved,          // fields: the path the file went to, collision suffix included
    kPlaylist,       // fields: path, bytes before, bytes written; recorded before the replace
    kFolderRemoved,  // fields: folder; recorded before it is removed
    kComplete,       // the run ended; its playlists were written
    kUndone,         // an undo of the run was carried out
  };
  Kind kind;
  std::vector<std::string> fields;
};

// A journal of one run on one base folder, read back whole. A last record
// cut short by a crash is left out.
struct RunRecord {
  std::string name;
  std::int64_t started_ns = 0;  // nanoseconds since 1970, UTC
  std::vector<JournalRecord> records;
  bool complete = false;
  bool undone = false;
  bool playlists_updated = false;  // the run had chkUpdateM3U 1
  int FilesMoved() const;
};

// Where the file of the move at `records[index]` (a kMove) is by the
// journal: the recorded final path; for a move whose final path was never
// recorded (a kill right after the rename), the last name that exists of the
// chain target, target.mp3, ... (the rename took the first free one), or the
// target itself when none does; nullopt when that move never happened, its
// file still being at its old path.
std::optional<std::string> WhereMoved(FileSystem& file_system,
                                      const std::vector<JournalRecord>& records, std::size_t index);

// The journals of `base_folder`, oldest first.
std::vector<RunRecord> RunsOnBase(JournalStorage& storage, const std::string& base_folder);

// Writes a real run's journal, ahead of every change it records. Records
// pile up in memory and are appended together at each write point: before
// a rename, a playlist replace, a folder removal, and at the end. An append
// survives the process being killed at any instant after it. Flushes to
// the disk, which survive a crash of the machine, are batched: one per
// kAppendsPerFlush appends, and one before each playlist replace (itself
// flushed) and at the end. A failure to append or flush throws RunError, so
// the change waiting for it is never made.
class RunJournal {
 public:
  // Starts the journal of a run on `base_folder` now, flushed, and prunes
  // the base's journals to kJournalsKeptPerBase.
  static std::unique_ptr<RunJournal> Begin(JournalStorage& storage, const std::string& base_folder,
                                           const OrganizeOptions& options);

  // Opens journal `name` to add to it (undo marks a run undone, recovery
  // mends a killed run's playlists and completes it).
  RunJournal(JournalStorage& storage, const std::string& name);

  void WillCreateFolder(const std::string& folder);  // held until the next flush
  void WillMove(const std::string& old_path, const std::string& target_path);
  void Moved(const std::string& final_path);  // held until the next flush
  void WillReplacePlaylist(const std::string& path, const std::string& old_bytes,
                           const std::string& new_bytes);
  void WillRemoveFolder(const std::string& folder);
  void Complete();
  void Undone();
  // Appends what is held; flushes too when `to_disk` or when the batch is full.
  void Write(bool to_disk = false);

 private:
  void Add(JournalRecord::Kind kind, std::initializer_list<const std::string*> fields);

  void ThrowIfBroken() const;

  std::unique_ptr<JournalFile> file_;
  std::string pending_;
  int unflushed_appends_ = 0;
  bool broken_ = false;
};

}  // namespace quillfold
