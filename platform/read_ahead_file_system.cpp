#include "platform/read_ahead_file_system.h"

#include <algorithm>

#include "tags/ascii.h"

namespace quillfold {
namespace {

// The last component of `path`, without a trailing separator.
std::string_view LastName(std::string_view path, char separator) {
  while (!path.empty() && path.back() == separator) path.remove_suffix(1);
  const auto last = path.rfind(separator);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view WithoutTrailingDotsAndSpaces(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

// False only when no file system could take the two names for one entry.
// Some ignore letter case, some trailing dots and spaces, some normalise
// Unicode or answer to short "~" aliases: names with other bytes than plain
// ASCII, or with "~", are always taken as possibly the same.
bool MayNameSameEntry(std::string_view a, std::string_view b) {
  const auto plain = [](std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '~'; });
  };
  if (!plain(a) || !plain(b)) return true;
  return EqualsIgnoringAsciiCase(WithoutTrailingDotsAndSpaces(a), WithoutTrailingDotsAndSpaces(b));
}

}  // namespace

ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& inner, int workers,
                                         std::chrono::nanoseconds worth_reading_ahead)
    : inner_(inner),
      window_(static_cast<std::size_t>(std::max(workers, 1)) * 4),
      worth_reading_ahead_(worth_reading_ahead) {
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

void ReadAheadFileSystem::ExpectTail(const std::string& full_path) {
  {
    const std::lock_guard lock(mutex_);
    if (announced_.size() >= window_ ||
        average_read_ns_ < static_cast<double>(worth_reading_ahead_.count())) {
      return;
    }
    auto entry = std::make_shared<Announced>();
    entry->path = full_path;
    announced_.push_back(std::move(entry));
  }
  work_ready_.notify_one();
}

void ReadAheadFileSystem::ForgetExpected() {
  const std::lock_guard lock(mutex_);
  announced_.clear();
}

void ReadAheadFileSystem::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::shared_ptr<Announced> entry;
    work_ready_.wait(lock, [&] {
      const auto waiting = std::find_if(announced_.begin(), announced_.end(), [](const auto& e) {
        return e->state == Announced::State::kWaiting;
      });
      if (waiting != announced_.end()) entry = *waiting;
      return stopping_ || entry != nullptr;
    });
    if (stopping_) return;
    entry->state = Announced::State::kReading;
    lock.unlock();
    std::array<std::uint8_t, kReadAheadTailSize> tail{};
    TailRead read;
    bool failed = false;
    const auto start = std::chrono::steady_clock::now();
    try {
      read = inner_.ReadOrdinaryFileTail(entry->path, tail);
    } catch (...) {
      // The caller reads it again itself and meets the failure there.
      failed = true;
    }
    const auto duration = std::chrono::steady_clock::now() - start;
    lock.lock();
    Timed(duration);
    entry->read = read;
    entry->tail = tail;
    entry->stale = entry->stale || failed;
    entry->state = Announced::State::kDone;
    read_done_.notify_all();
  }
}

TailRead ReadAheadFileSystem::ReadOrdinaryFileTail(const std::string& path,
                                                   std::span<std::uint8_t> tail) {
  if (tail.size() != kReadAheadTailSize) return ReadHere(path, tail);
  std::unique_lock lock(mutex_);
  const auto found = std::find_if(announced_.begin(), announced_.end(),
                                  [&](const auto& entry) { return entry->path == path; });
  if (found == announced_.end()) {
    lock.unlock();
    return ReadHere(path, tail);
  }
  // Tails announced before this one were not asked for after all.
  const std::shared_ptr<Announced> entry = *found;
  announced_.erase(announced_.begin(), found + 1);
  if (entry->state == Announced::State::kWaiting) {
    lock.unlock();
    return ReadHere(path, tail);
  }
  read_done_.wait(lock, [&] { return entry->state == Announced::State::kDone; });
  if (entry->stale) {
    lock.unlock();
    return ReadHere(path, tail);
  }
  std::copy(entry->tail.begin(), entry->tail.end(), tail.begin());
  return entry->read;
}

TailRead ReadAheadFileSystem::ReadHere(const std::string& path, std::span<std::uint8_t> tail) {
  const auto start = std::chrono::steady_clock::now();
  const TailRead read = inner_.ReadOrdinaryFileTail(path, tail);
  const auto duration = std::chrono::steady_clock::now() - start;
  const std::lock_guard lock(mutex_);
  Timed(duration);
  return read;
}

void ReadAheadFileSystem::Timed(std::chrono::nanoseconds duration) {
  // An average over roughly the last 16 reads: quick to follow the medium
  // as the cache fills or a share slows down.
  constexpr double kWeight = 1.0 / 16;
  average_read_ns_ += kWeight * (static_cast<double>(duration.count()) - average_read_ns_);
}

void ReadAheadFileSystem::MarkStale(std::initializer_list<const std::string*> paths) {
  const char separator = inner_.separator();
  const std::lock_guard lock(mutex_);
  for (const auto& entry : announced_) {
    // A read that begins after the change sees it.
    if (entry->state == Announced::State::kWaiting) continue;
    const std::string_view name = LastName(entry->path, separator);
    for (const std::string* changed : paths) {
      if (MayNameSameEntry(name, LastName(*changed, separator))) entry->stale = true;
    }
  }
}

template <typename Change>
auto ReadAheadFileSystem::Changing(std::initializer_list<const std::string*> paths, Change change) {
  // Marked after the change, even a failed one, so that a read that began
  // while it was under way counts as stale too.
  struct MarkAfter {
    ReadAheadFileSystem& self;
    std::initializer_list<const std::string*> paths;
    ~MarkAfter() { self.MarkStale(paths); }
  } mark_after{*this, paths};
  return change();
}

int ReadAheadFileSystem::CreateFolderChain(const std::string& folder_path) {
  return Changing({&folder_path}, [&] { return inner_.CreateFolderChain(folder_path); });
}

RenameOutcome ReadAheadFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return Changing({&from, &to}, [&] { return inner_.RenameNoReplace(from, to); });
}

void ReadAheadFileSystem::RemoveEmptyFolder(const std::string& folder) {
  Changing({&folder}, [&] { inner_.RemoveEmptyFolder(folder); });
}

void ReadAheadFileSystem::ReplaceTextFile(const std::string& path, const std::string& content) {
  Changing({&path}, [&] { inner_.ReplaceTextFile(path, content); });
}

void ReadAheadFileSystem::RemoveLeftoverReplacements(const std::string& path) {
  Changing({&path}, [&] { inner_.RemoveLeftoverReplacements(path); });
}

}  // namespace quillfold
