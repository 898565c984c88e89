#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "platform/recorded_reads.h"
#include "platform/upcoming_reads.h"

namespace quillfold {

// The files announced for reading ahead, in the order the run will ask for
// them, with what was read of them, and the rules for which reads a change
// made stale. Not thread-safe: the read-ahead holds its lock around every
// call.
//
// The window may hold a whole library's reads, so every call costs the
// same however many it holds: each entry is found by its path, by the file
// its reads opened, or in the short list of reads that only a name can
// tell apart.
class ReadAheadWindow {
 public:
  static constexpr std::size_t kTailSize = 128;

  struct Entry {
    enum class State { kWaiting, kReading, kDone };
    std::string path;
    UpcomingReads::AheadReader reader = nullptr;  // none: only the tail is read
    State state = State::kWaiting;
    bool stale = false;       // a change may have touched it after its read began
    bool left = false;        // taken, passed over or forgotten: no longer in the window
    std::uint64_t order = 0;  // its place among those announced
    // Its last name's key (see FoldedName), worked out before its read
    // begins; none when any change may touch it.
    std::optional<std::string> name_key;
    // The file every one of its reads opened; none when a read opened none
    // or they opened different files.
    std::optional<FileIdentity> identity;
    std::size_t bytes = 0;  // counted against the budget: until read, the most it may hold
    TailRead read;
    std::array<std::uint8_t, kTailSize> tail{};
    std::vector<RecordedRead> reads;  // the reader's
  };

  // What a change touched, for telling which reads it made stale.
  struct Change {
    std::initializer_list<const std::string*> paths;  // the names it made, moved or replaced
    // Only folders were made, or empty ones removed: no ordinary file that
    // was read is any different.
    bool folders_only = false;
    // The file a rename moved, when known: only reads of that file, and
    // reads an identity cannot tell apart, go stale.
    std::optional<FileIdentity> moved;
  };

  // No entry is added once those held count `budget_bytes` or more.
  explicit ReadAheadWindow(std::size_t budget_bytes);

  // Adds `path` at the end, to be read by `reader` (whose reads take at
  // most `reads_at_most` bytes) or of its tail alone; null when the window
  // is full.
  std::shared_ptr<Entry> Add(const std::string& path, UpcomingReads::AheadReader reader,
                             std::size_t reads_at_most);
  // The first entry whose read has not begun, now out of the queue of
  // those to read; null when there is none.
  std::shared_ptr<Entry> NextToRead();
  // Its read begins, and from now on changes can make it stale; false,
  // changing nothing, when it left the window since NextToRead gave it.
  bool BeginRead(Entry& entry, std::optional<std::string> name_key);
  // Its read has ended, with `read`, `tail` and `reads` as it gave them.
  void EndRead(Entry& entry);
  // Takes out the entry for `path` read by a reader or not, with every entry
  // announced before it, which the run passed over; null, changing nothing,
  // when there is none.
  std::shared_ptr<Entry> TakeOut(const std::string& path, bool by_reader);
  // Takes every entry out.
  void Clear();
  // Marks the reads begun before `change` that it may have touched.
  void MarkStale(const Change& change, char separator);

  // The key that the last name of `path` is compared by (see FoldedName).
  static std::optional<std::string> NameKeyOf(std::string_view path, char separator);

 private:
  struct IdentityHash {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& key) const {
      return std::hash<std::uint64_t>()(key.first * 0x9E3779B97F4A7C15ULL ^ key.second);
    }
  };
  using IdentityKey = std::pair<std::uint64_t, std::uint64_t>;
  static IdentityKey KeyOf(const FileIdentity& identity) {
    return {identity.device, identity.inode};
  }

  void Leave(Entry& entry);
  // What `entry` holds in memory, its share of the indexes included.
  static std::size_t BytesOf(const Entry& entry);

  const std::size_t budget_bytes_;
  std::size_t bytes_held_ = 0;  // by the entries in the window
  std::uint64_t next_order_ = 0;
  std::deque<std::shared_ptr<Entry>> entries_;  // in the window, in order
  std::deque<std::shared_ptr<Entry>> to_read_;  // not begun; some may have left
  std::unordered_multimap<std::string_view, Entry*> by_path_;
  // Ended reads that opened one file, by that file.
  std::unordered_multimap<IdentityKey, Entry*, IdentityHash> by_identity_;
  // Reads under way, and ended reads without one file: only names tell
  // which changes touch them.
  std::unordered_set<Entry*> by_name_only_;
};

}  // namespace quillfold
