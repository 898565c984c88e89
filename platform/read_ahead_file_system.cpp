#include "platform/read_ahead_file_system.h"

#include <algorithm>

namespace quillfold {
ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& inner, int workers,
                                         std::chrono::nanoseconds worth_reading_ahead,
                                         std::size_t budget)
    : ForwardingFileSystem(inner),
      listings_at_most_(static_cast<std::size_t>(std::max(workers, 1)) * 4),
      worth_reading_ahead_(worth_reading_ahead),
      window_(budget) {
  for (int i = 0; i < std::max(workers, 1); ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

ReadAheadFileSystem::~ReadAheadFileSystem() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool ReadAheadFileSystem::ExpectTail(const std::string& full_path) {
  return Announce(full_path, nullptr, 0);
}

bool ReadAheadFileSystem::ExpectReadsOf(const std::string& full_path, AheadReader reader,
                                        std::size_t reads_at_most) {
  return Announce(full_path, reader, reads_at_most);
}

bool ReadAheadFileSystem::Announce(const std::string& full_path, AheadReader reader,
                                   std::size_t reads_at_most) {
  {
    const std::lock_guard lock(mutex_);
    if (!WorthDoingAhead(average_read_ns_) || !window_.Add(full_path, reader, reads_at_most)) {
      return false;
    }
  }
  work_ready_.notify_one();
  return true;
}

void ReadAheadFileSystem::ForgetExpected() {
  const std::lock_guard lock(mutex_);
  window_.Clear();
  replaying_.reset();
}

void ReadAheadFileSystem::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<Announced> tail;
    std::shared_ptr<ListingAhead> listing;
    work_ready_.wait(lock, [&] {
      tail = window_.NextToRead();
      if (!tail) {
        const auto listed = std::find_if(
            listings_ahead_.begin(), listings_ahead_.end(),
            [](const auto& entry) { return entry->state == Announced::State::kWaiting; });
        if (listed != listings_ahead_.end()) listing = *listed;
      }
      return stopping_ || tail != nullptr || listing != nullptr;
    });
    if (stopping_) return;
    ++in_flight_;
    if (tail) {
      ReadTailAhead(*tail, lock);
    } else {
      ListAhead(*listing, lock);
    }
    --in_flight_;
    read_done_.notify_all();
  }
}

void ReadAheadFileSystem::ReadTailAhead(Announced& entry, std::unique_lock<std::mutex>& lock) {
  // Worked out on this worker rather than on the caller's thread, whose
  // time is the run's.
  lock.unlock();
  std::optional<std::string> name_key = ReadAheadWindow::NameKeyOf(entry.path, inner_.separator());
  lock.lock();
  if (!window_.BeginRead(entry, std::move(name_key))) return;
  lock.unlock();
  std::array<std::uint8_t, kReadAheadTailSize> tail{};
  TailRead read;
  RecordingFileSystem recording(inner_);
  bool failed = false;
  const auto start = std::chrono::steady_clock::now();
  try {
    if (entry.reader != nullptr) {
      entry.reader(recording, entry.path);
    } else {
      read = inner_.ReadOrdinaryFileTail(entry.path, tail);
    }
  } catch (...) {
    // The caller reads it again itself and meets the failure there.
    failed = true;
  }
  const auto duration = std::chrono::steady_clock::now() - start;
  lock.lock();
  Timed(average_read_ns_, duration);
  entry.read = read;
  entry.tail = tail;
  entry.reads = std::move(recording.reads);
  entry.stale = entry.stale || failed;
  window_.EndRead(entry);
}

void ReadAheadFileSystem::ListAhead(ListingAhead& entry, std::unique_lock<std::mutex>& lock) {
  entry.state = Announced::State::kReading;
  lock.unlock();
  std::optional<FolderListing> listing;
  const auto start = std::chrono::steady_clock::now();
  try {
    listing = inner_.ListFolder(entry.folder);
  } catch (...) {
    // The caller lists it again itself and meets the failure there.
  }
  const auto duration = std::chrono::steady_clock::now() - start;
  lock.lock();
  Timed(average_listing_ns_, duration);
  entry.listing = std::move(listing);
  entry.state = Announced::State::kDone;
}

FolderListing ReadAheadFileSystem::ListFolder(const std::string& folder) {
  std::optional<FolderListing> listing;
  std::unique_lock lock(mutex_);
  const auto found = std::find_if(listings_ahead_.begin(), listings_ahead_.end(),
                                  [&](const auto& entry) { return entry->folder == folder; });
  if (found != listings_ahead_.end()) {
    const std::shared_ptr<ListingAhead> entry = *found;
    listings_ahead_.erase(found);
    if (entry->state != Announced::State::kWaiting) {
      read_done_.wait(lock, [&] { return entry->state == Announced::State::kDone; });
      if (!entry->stale) listing = std::move(entry->listing);
    }
  }
  lock.unlock();
  if (!listing) listing = ListHere(folder);
  lock.lock();
  const std::size_t announced = AnnounceSubfolders(folder, *listing);
  lock.unlock();
  // One worker per new listing: waking every worker for each folder listed
  // costs more than a listing from the page cache on a busy machine.
  for (std::size_t i = 0; i < std::min(announced, workers_.size()); ++i) work_ready_.notify_one();
  return std::move(*listing);
}

std::size_t ReadAheadFileSystem::AnnounceSubfolders(const std::string& folder,
                                                    const FolderListing& listing) {
  if (!WorthDoingAhead(average_listing_ns_)) return 0;
  const char separator = inner_.separator();
  // Named as a search names them: the folder, one separator, the name.
  const std::string prefix =
      !folder.empty() && folder.back() == separator ? folder : folder + separator;
  std::size_t announced = 0;
  for (const std::string& name : listing.folders) {
    if (listings_ahead_.size() >= listings_at_most_) break;
    auto entry = std::make_shared<ListingAhead>();
    entry->folder = prefix + name;
    listings_ahead_.push_back(std::move(entry));
    ++announced;
  }
  return announced;
}

std::shared_ptr<ReadAheadFileSystem::Announced> ReadAheadFileSystem::TakeAnnounced(
    const std::string& path, bool by_reader) {
  std::unique_lock lock(mutex_);
  const std::shared_ptr<Announced> entry = window_.TakeOut(path, by_reader);
  if (!entry || entry->state == Announced::State::kWaiting) return nullptr;
  read_done_.wait(lock, [&] { return entry->state == Announced::State::kDone; });
  return entry->stale ? nullptr : entry;
}

TailRead ReadAheadFileSystem::ReadOrdinaryFileTail(const std::string& path,
                                                   std::span<std::uint8_t> tail) {
  if (tail.size() != kReadAheadTailSize) return ReadHere(path, tail);
  const std::shared_ptr<Announced> entry = TakeAnnounced(path, false);
  if (!entry) return ReadHere(path, tail);
  std::copy(entry->tail.begin(), entry->tail.end(), tail.begin());
  NoteRead(path, entry->read.identity);
  return entry->read;
}

PartsRead ReadAheadFileSystem::ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                                     std::span<std::uint8_t> head,
                                                     std::span<std::uint8_t> tail) {
  std::shared_ptr<Announced> entry;
  if (offset == 0) {
    // A reader's first read: its later ones follow before the next file's.
    entry = TakeAnnounced(path, true);
    const std::lock_guard lock(mutex_);
    replaying_ = entry;
  } else {
    const std::lock_guard lock(mutex_);
    if (replaying_ && replaying_->path == path && !replaying_->stale) entry = replaying_;
  }
  PartsRead read;
  if (!entry || !Replay(entry->reads, offset, head, tail, read)) {
    read = ReadPartsHere(path, offset, head, tail);
  }
  NoteRead(path, read.identity);
  return read;
}

template <typename Read>
auto ReadAheadFileSystem::TimedRead(Read read) {
  const auto start = std::chrono::steady_clock::now();
  const auto result = read();
  const auto duration = std::chrono::steady_clock::now() - start;
  const std::lock_guard lock(mutex_);
  Timed(average_read_ns_, duration);
  return result;
}

TailRead ReadAheadFileSystem::ReadHere(const std::string& path, std::span<std::uint8_t> tail) {
  const TailRead read = TimedRead([&] { return inner_.ReadOrdinaryFileTail(path, tail); });
  NoteRead(path, read.identity);
  return read;
}

void ReadAheadFileSystem::ForgetLastRead() {
  const std::lock_guard lock(mutex_);
  last_read_.reset();
}

void ReadAheadFileSystem::NoteRead(const std::string& path,
                                   const std::optional<FileIdentity>& identity) {
  const std::lock_guard lock(mutex_);
  if (!last_read_ || last_read_->path != path) {
    last_read_ = LastRead{path, identity};
  } else if (last_read_->identity && !(identity && identity->SameFile(*last_read_->identity))) {
    last_read_->identity.reset();
  }
}

PartsRead ReadAheadFileSystem::ReadPartsHere(const std::string& path, std::uint64_t offset,
                                             std::span<std::uint8_t> head,
                                             std::span<std::uint8_t> tail) {
  return TimedRead([&] { return inner_.ReadOrdinaryFileParts(path, offset, head, tail); });
}

FolderListing ReadAheadFileSystem::ListHere(const std::string& folder) {
  const auto start = std::chrono::steady_clock::now();
  FolderListing listing = inner_.ListFolder(folder);
  const auto duration = std::chrono::steady_clock::now() - start;
  const std::lock_guard lock(mutex_);
  Timed(average_listing_ns_, duration);
  return listing;
}

void ReadAheadFileSystem::Timed(double& average_ns, std::chrono::nanoseconds duration) {
  // An average over roughly the last 16 calls: quick to follow the medium
  // as the cache fills or a share slows down.
  constexpr double kWeight = 1.0 / 16;
  average_ns += kWeight * (static_cast<double>(duration.count()) - average_ns);
}

void ReadAheadFileSystem::DropListingsAhead() {
  // Those not begun go; the others will not be used.
  std::erase_if(listings_ahead_,
                [](const auto& entry) { return entry->state == Announced::State::kWaiting; });
  for (const auto& entry : listings_ahead_) entry->stale = true;
}

void ReadAheadFileSystem::ForgetHeldFolders() {
  {
    // Between runs anything may change on disk, behind this file system's
    // back: nothing listed before is used after. A read begun before may
    // still open folders and keep its file: what it holds goes too.
    std::unique_lock lock(mutex_);
    DropListingsAhead();
    read_done_.wait(lock, [this] { return in_flight_ == 0; });
  }
  inner_.ForgetHeldFolders();
}

void ReadAheadFileSystem::MarkStale(const ReadAheadWindow::Change& what) {
  const std::lock_guard lock(mutex_);
  // Any change may touch any listing, and the file being replayed.
  DropListingsAhead();
  if (replaying_) replaying_->stale = true;
  window_.MarkStale(what, inner_.separator());
}

template <typename Change>
auto ReadAheadFileSystem::Changing(const ReadAheadWindow::Change& what, Change change) {
  // Marked after the change, even a failed one, so that a read that began
  // while it was under way counts as stale too.
  struct MarkAfter {
    ReadAheadFileSystem& self;
    const ReadAheadWindow::Change& what;
    ~MarkAfter() { self.MarkStale(what); }
  } mark_after{*this, what};
  return change();
}

int ReadAheadFileSystem::CreateFolderChain(const std::string& folder_path) {
  return Changing({{&folder_path}, true, std::nullopt},
                  [&] { return inner_.CreateFolderChain(folder_path); });
}

RenameOutcome ReadAheadFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  std::optional<FileIdentity> moved;
  {
    const std::lock_guard lock(mutex_);
    if (last_read_ && last_read_->path == from) moved = last_read_->identity;
  }
  const RenameOutcome outcome =
      Changing({{&from, &to}, false, moved}, [&] { return inner_.RenameNoReplace(from, to); });
  // Once it moved, another file may come to be read under its old name. A
  // target found taken changed nothing, and the next name is tried at once.
  if (outcome == RenameOutcome::kRenamed) ForgetLastRead();
  return outcome;
}

void ReadAheadFileSystem::RemoveEmptyFolder(const std::string& folder) {
  Changing({{&folder}, true, std::nullopt}, [&] { inner_.RemoveEmptyFolder(folder); });
}

void ReadAheadFileSystem::ReplaceTextFileInPieces(const std::string& path,
                                                  const ContentPieces& content) {
  ForgetLastRead();
  Changing({{&path}, false, std::nullopt}, [&] { inner_.ReplaceTextFileInPieces(path, content); });
}

void ReadAheadFileSystem::RemoveLeftoverReplacements(const std::string& path) {
  ForgetLastRead();
  Changing({{&path}, false, std::nullopt}, [&] { inner_.RemoveLeftoverReplacements(path); });
}

}  // namespace quillfold
