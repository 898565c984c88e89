#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "organize/content_changes.h"
#include "organize/organize_options.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

// How many journals are kept: the last runs of each base folder, and no
// more than this many bytes in the journals' folder, the oldest going first.
// Starting a journal prunes to these. Change them here.
inline constexpr std::size_t kJournalsKeptPerBase = 20;
inline constexpr std::size_t kJournalFolderBytes = std::size_t{256} << 20;

// The longest a journal's appends wait for a flush to the disk while a run
// goes on; a run that takes less flushes only before its playlists and at
// its end.
inline constexpr std::chrono::milliseconds kFlushInterval{1000};

// One record of a run's journal, as read back.
struct JournalRecord {
  enum class Kind {
    kRun,            // base folder, options (the check boxes' digits in
                     // kOrganizeOptions' order), start time (ns,
                     // UTC), the base's key (BaseKey)
    kFolderCreated,  // folder (no trailing separator); recorded before it is made
    kTry,            // old path, target path, "device:inode"; before each rename attempt
    kMoved,          // the path the file went to; after the rename
    kPlaylist,       // path, old size, old hash, new size, new hash, then per changed
                     // stretch: offset, length, old bytes; or, for a stretch of lines
                     // rewritten by moves, "=" offset, length, the moves' numbers
                     // (RunRecord::moves' order, "-" for a line left as it was) apart by
                     // spaces; recorded before the replace
    kFolderRemoved,  // folder, mode, owner, group; recorded before it is removed
    kComplete,       // the run's playlists are written (or it left them alone)
    kFailed,         // a failure ended the run before its playlists were all written
    kUndoStarted,    // an undo of the run began
    kUndone,         // the undo of the run ended
  };
  Kind kind;
  std::vector<std::string> fields;
};

// The records of a journal's bytes, how many bytes they take (a record cut
// short or damaged, and everything after it, is left out) and what they say
// of the run.
struct ParsedJournal {
  std::vector<JournalRecord> records;
  std::size_t whole_bytes = 0;
  bool complete = false;      // a kComplete record is there
  bool undo_started = false;  // a kUndoStarted record
  bool undone = false;        // a kUndone record
  int files_moved = 0;        // kMoved records
};
// Which records ParseJournal keeps. Every record is checked and counted
// either way; the first (the run's own) is all a list of the runs needs,
// and a large run's records take several times its journal's bytes.
enum class KeptRecords { kAll, kFirstOnly };
ParsedJournal ParseJournal(std::string_view bytes, KeptRecords kept = KeptRecords::kAll);

// ParseJournal for bytes handed over in pieces, so that a journal need not
// be held whole: only a record that spans two pieces is kept between them.
// The pieces in order give what ParseJournal gives their bytes joined.
class JournalParser {
 public:
  using RecordSink = std::function<void(JournalRecord&&)>;

  explicit JournalParser(KeptRecords kept) : kept_(kept) {}
  // Keeps the first record and hands each later one to `later` as it is
  // parsed, so that they need not all be held as records.
  explicit JournalParser(RecordSink later)
      : kept_(KeptRecords::kFirstOnly), later_(std::move(later)) {}
  // Takes the next piece; false once nothing after it can count (a damaged
  // record ends what a journal says), so that the rest need not be read.
  bool Take(std::string_view piece);
  ParsedJournal Finish() && { return std::move(parsed_); }

 private:
  // Parses the whole records of `bytes` and keeps or drops what is left.
  bool TakeRecords(std::string_view bytes);

  KeptRecords kept_;
  RecordSink later_;
  ParsedJournal parsed_;
  std::string unfinished_;  // the start of a record the next piece goes on with
  bool damaged_ = false;
};

// What a journal of one run on one base folder says of the run.
struct RunSummary {
  std::string name;
  std::string recorded_base;    // the base folder as the run named it
  std::int64_t started_ns = 0;  // nanoseconds since 1970, UTC
  std::size_t whole_bytes = 0;
  bool complete = false;
  bool undo_started = false;
  bool undone = false;
  bool playlists_updated = false;  // the run had chkUpdateM3U 1
  int files_moved = 0;
};

// One file's move as the journal has it: each name the run tried, in order.
struct JournaledMove {
  std::string old_path;
  std::string identity;  // "device:inode"
  std::vector<std::string> targets;
  bool finished = false;  // its kMoved record is there
};
// Takes `record` into `moves`, the moves of the records before it, when it
// is a move's (kTry or kMoved), and says whether it was: each file's tries,
// one per name, make one move, finished once its kMoved record follows. Its
// fields are moved out.
bool TakeMoveRecord(JournalRecord& record, std::vector<JournaledMove>& moves);

// A journal of one run on one base folder, read back whole.
struct RunRecord : RunSummary {
  std::vector<JournaledMove> moves;
  std::vector<JournalRecord> records;  // the others in order, not the run's own
};

// Where a journaled file is, decided by its identity, never by its name.
struct MovedFileState {
  enum class Where { kNotMoved, kMoved, kGone };
  Where where = Where::kGone;
  std::string path;                // kMoved: the tried name that holds the file
  bool old_name_kept_too = false;  // kMoved: a link-and-unlink move was cut short
};
MovedFileState LocateMovedFile(FileSystem& file_system, const JournaledMove& move);
std::string IdentityText(const FileIdentity& identity);

// The changed playlist recorded at `record` (a kPlaylist), with its check
// values; nullopt for a record whose stretches do not fit its new size.
struct PlaylistChange {
  std::string path;
  std::size_t old_size = 0, new_size = 0;
  std::uint64_t old_hash = 0, new_hash = 0;
  std::vector<ChangedStretch> stretches;
};
std::optional<PlaylistChange> PlaylistChangeOf(const JournalRecord& record);

// The base folder as the journals know it: its device and inode, links
// followed, so that a base named through a linked folder, or renamed, is the
// same base; its path where that cannot be told.
std::string BaseKey(FileSystem& file_system, const std::string& base_folder);

// The runs of the base `base_key` whose journals are kept, in the order they
// were started. Each journal is read, one at a time and a piece at a time,
// but no records are kept: a run that is to be undone or mended is read
// whole by ReadRun.
std::vector<RunSummary> RunsOnBase(JournalStorage& storage, const std::string& base_key);

// `run`'s journal read whole, each path in it put under `base_folder`
// (ending in the separator) where the run named the base otherwise.
RunRecord ReadRun(JournalStorage& storage, const RunSummary& run, const std::string& base_folder);

// Writes a run's journal, ahead of every change it records. Each record
// carries its length and a checksum, so a record a crash or a full disk cut
// short is known and cut off before anything is added. Records pile up in
// memory and are appended together at each write point: before a rename, a
// playlist replace, a folder removal, and at the end. An append survives
// the process being killed at any instant after it. Flushes to the disk,
// which survive a crash of the machine, are batched: at most one per
// kFlushInterval while the run goes on, and one before each playlist
// replace and at the end. A failure to append or flush throws RunError, so the change waiting
// for it is never made. A journal that records no change is never written.
class RunJournal {
 public:
  enum class Durability { kBatched, kToDisk };

  // Starts the journal of a run on `base_folder`; the file is made, and the
  // journals pruned, when the first change is recorded.
  static std::unique_ptr<RunJournal> Begin(JournalStorage& storage, const std::string& base_folder,
                                           const std::string& base_key,
                                           const OrganizeOptions& options);

  // Opens `run`'s journal to add to it (undo, and the mending of a killed
  // run), cutting off a torn end first.
  RunJournal(JournalStorage& storage, const RunSummary& run);

  void WillCreateFolder(const std::string& folder);  // held until the next write
  void WillTry(const std::string& old_path, const std::string& target, const FileIdentity& file);
  // The number of the move last tried in this journal, counted as
  // TakeMoveRecord counts them: each file's tries make one move.
  std::uint32_t MoveNumber() const { return moves_tried_ - 1; }
  void Moved(const std::string& final_path);  // held until the next write
  // From a description of the change, so that neither content need be held;
  // kBatched leaves the flush to a later Write, which must come before the
  // playlist is replaced.
  void WillReplacePlaylist(const std::string& path, ContentChange change,
                           Durability durability = Durability::kToDisk);
  void WillRemoveFolder(const std::string& folder, const FileIdentity& identity);
  void Complete();
  void Failed();
  void UndoStarted();
  void Undone();
  // Appends what is held; flushes too for kToDisk or once kFlushInterval
  // has passed since the last flush.
  void Write(Durability durability = Durability::kBatched);

 private:
  RunJournal(JournalStorage& storage, std::string name);
  void Add(JournalRecord::Kind kind, std::initializer_list<std::string_view> fields);
  void Add(JournalRecord::Kind kind, std::span<const std::string_view> fields);
  void Open();
  void ThrowIfBroken() const;

  JournalStorage& storage_;
  std::string name_;
  std::unique_ptr<JournalFile> file_;  // null until the first change is recorded
  std::string pending_;
  std::uint32_t moves_tried_ = 0;
  std::string last_tried_;  // the old path of the last try, while its move is open
  FileIdentity last_tried_identity_;
  bool holds_change_ = false;
  int unflushed_appends_ = 0;
  std::chrono::steady_clock::time_point last_flush_ = std::chrono::steady_clock::now();
  bool broken_ = false;
};

}  // namespace quillfold
