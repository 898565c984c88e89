#include "platform/read_ahead_window.h"

#include <algorithm>

#include "platform/name_fold.h"

namespace quillfold {
namespace {

// The last component of `path`, without a trailing separator.
std::string_view LastName(std::string_view path, char separator) {
  while (!path.empty() && path.back() == separator) path.remove_suffix(1);
  const auto last = path.rfind(separator);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

// False only when no file system could take the two names for one entry.
bool MayNameSameEntry(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  return !a || !b || *a == *b;
}

// The file that every read in `reads` opened, if they all opened the same.
std::optional<FileIdentity> SameFileOf(const std::vector<RecordedRead>& reads) {
  if (reads.empty()) return std::nullopt;
  const std::optional<FileIdentity>& first = reads.front().result.identity;
  for (const RecordedRead& read : reads) {
    if (!first || !read.result.identity || !read.result.identity->SameFile(*first)) {
      return std::nullopt;
    }
  }
  return first;
}

template <typename Map, typename Key>
void EraseEntry(Map& map, const Key& key, const ReadAheadWindow::Entry* entry) {
  auto [first, last] = map.equal_range(key);
  for (; first != last; ++first) {
    if (first->second == entry) {
      map.erase(first);
      return;
    }
  }
}

}  // namespace

std::optional<std::string> ReadAheadWindow::NameKeyOf(std::string_view path, char separator) {
  return FoldedName(LastName(path, separator));
}

ReadAheadWindow::ReadAheadWindow(std::size_t budget_bytes) : budget_bytes_(budget_bytes) {}

std::size_t ReadAheadWindow::BytesOf(const Entry& entry) {
  // A node in each index and the queues' pointers, roughly.
  constexpr std::size_t kIndexBytes = 256;
  std::size_t bytes = sizeof(Entry) + kIndexBytes + entry.path.capacity() +
                      entry.reads.capacity() * sizeof(RecordedRead);
  if (entry.name_key) bytes += entry.name_key->capacity();
  for (const RecordedRead& read : entry.reads) bytes += read.head.capacity() + read.tail.capacity();
  return bytes;
}

std::shared_ptr<ReadAheadWindow::Entry> ReadAheadWindow::Add(const std::string& path,
                                                             UpcomingReads::AheadReader reader,
                                                             std::size_t reads_at_most) {
  if (bytes_held_ >= budget_bytes_) return nullptr;
  auto entry = std::make_shared<Entry>();
  entry->path = path;
  entry->reader = reader;
  entry->order = next_order_++;
  entry->bytes = BytesOf(*entry) + reads_at_most;
  // The key views the entry's own path, which stays where it is.
  by_path_.emplace(entry->path, entry.get());
  entries_.push_back(entry);
  to_read_.push_back(entry);
  bytes_held_ += entry->bytes;
  return entry;
}

std::shared_ptr<ReadAheadWindow::Entry> ReadAheadWindow::NextToRead() {
  while (!to_read_.empty() && to_read_.front()->left) to_read_.pop_front();
  if (to_read_.empty()) return nullptr;
  std::shared_ptr<Entry> next = std::move(to_read_.front());
  to_read_.pop_front();
  return next;
}

bool ReadAheadWindow::BeginRead(Entry& entry, std::optional<std::string> name_key) {
  if (entry.left) return false;
  entry.name_key = std::move(name_key);
  entry.state = Entry::State::kReading;
  by_name_only_.insert(&entry);
  return true;
}

void ReadAheadWindow::EndRead(Entry& entry) {
  entry.state = Entry::State::kDone;
  if (entry.left) return;
  entry.identity = entry.reader != nullptr ? SameFileOf(entry.reads) : entry.read.identity;
  // A stale read is never used: no later change needs to find it.
  if (entry.stale || entry.identity) by_name_only_.erase(&entry);
  if (!entry.stale && entry.identity) by_identity_.emplace(KeyOf(*entry.identity), &entry);
  bytes_held_ -= entry.bytes;
  entry.bytes = BytesOf(entry);
  bytes_held_ += entry.bytes;
}

void ReadAheadWindow::Leave(Entry& entry) {
  if (entry.left) return;
  entry.left = true;
  EraseEntry(by_path_, std::string_view(entry.path), &entry);
  if (entry.identity) EraseEntry(by_identity_, KeyOf(*entry.identity), &entry);
  by_name_only_.erase(&entry);
  bytes_held_ -= entry.bytes;
}

std::shared_ptr<ReadAheadWindow::Entry> ReadAheadWindow::TakeOut(const std::string& path,
                                                                 bool by_reader) {
  const Entry* found = nullptr;
  auto [first, last] = by_path_.equal_range(path);
  for (; first != last; ++first) {
    const Entry* entry = first->second;
    if ((entry->reader != nullptr) == by_reader && (!found || entry->order < found->order)) {
      found = entry;
    }
  }
  if (found == nullptr) return nullptr;
  for (;;) {
    std::shared_ptr<Entry> entry = std::move(entries_.front());
    entries_.pop_front();
    Leave(*entry);
    if (entry.get() == found) return entry;
  }
}

void ReadAheadWindow::Clear() {
  for (const auto& entry : entries_) Leave(*entry);
  entries_.clear();
  to_read_.clear();
}

void ReadAheadWindow::MarkStale(const Change& change, char separator) {
  std::vector<std::optional<std::string>> changed;
  const auto by_name = [&](Entry& entry) {
    if (changed.empty()) {
      for (const std::string* path : change.paths) changed.push_back(NameKeyOf(*path, separator));
    }
    for (const auto& key : changed) {
      if (MayNameSameEntry(entry.name_key, key)) entry.stale = true;
    }
  };
  if (!change.folders_only && !change.moved) {
    // Any read begun before it of a name it may share may be stale.
    for (const auto& entry : entries_) {
      if (entry->state != Entry::State::kWaiting) by_name(*entry);
    }
    return;
  }
  // A read that opened one ordinary file, and ended, gave what reading it
  // again would give unless that file itself moved: a new folder or an
  // empty one removed is never that file, and a rename that replaces
  // nothing moves one file and fills a name where there was none.
  if (change.moved) {
    auto [first, last] = by_identity_.equal_range(KeyOf(*change.moved));
    for (; first != last; ++first) first->second->stale = true;
  }
  for (Entry* entry : by_name_only_) by_name(*entry);
}

}  // namespace quillfold
