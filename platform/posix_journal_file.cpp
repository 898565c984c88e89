#include "platform/posix_journal_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <tuple>

#include "errors/run_error.h"
#include "platform/durable_write.h"

namespace quillfold {
namespace {

// A chunk is reserved and mapped at a time: one fallocate and one mmap per
// several thousand records.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

std::size_t RoundedUp(std::size_t bytes, std::size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

}  // namespace

PosixJournalFile::PosixJournalFile(UniqueFd fd, std::size_t size, std::string path,
                                   std::string folder, bool created)
    : fd_(std::move(fd)),
      end_(size),
      path_(std::move(path)),
      folder_(std::move(folder)),
      created_(created) {}

// A journal left longer than its records (the cut failed) only ends in
// zeros, which read as a torn end and are cut off before the next append.
PosixJournalFile::~PosixJournalFile() {
  Unmap();
  if (!plain_writes_) std::ignore = ftruncate(fd_.get(), static_cast<off_t>(end_));
}

void PosixJournalFile::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  // A record larger than a chunk (a long playlist's old lines) is written
  // rather than mapped whole, which would count it in the program's memory.
  bool mapped = !plain_writes_ && bytes.size() <= kChunkBytes;
  if (mapped && end_ + bytes.size() > mapped_from_ + mapped_bytes_) {
    if (!MakeRoom(bytes.size())) throw RunErrorFromOs(errno, "writing the journal", path_);
    mapped = !plain_writes_;
  }
  if (mapped) {
    std::memcpy(mapping_ + (end_ - mapped_from_), bytes.data(), bytes.size());
  } else if (lseek(fd_.get(), static_cast<off_t>(end_), SEEK_SET) < 0 ||
             !WriteAll(fd_.get(), bytes)) {
    throw RunErrorFromOs(errno, "writing the journal", path_);
  }
  end_ += bytes.size();
}

// A new journal's name must survive too, or a crash could keep the moves
// and lose the record of them.
void PosixJournalFile::Flush() {
  if (fdatasync(fd_.get()) != 0) throw RunErrorFromOs(errno, "flushing the journal", path_);
  if (created_ && !SyncFolder(folder_)) {
    throw RunErrorFromOs(errno, "flushing the journal's folder", folder_);
  }
  created_ = false;
}

bool PosixJournalFile::MakeRoom(std::size_t bytes) {
  Unmap();
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t from = end_ / page * page;
  const std::size_t length = RoundedUp(end_ - from + bytes, kChunkBytes);
  if (fallocate(fd_.get(), 0, static_cast<off_t>(from), static_cast<off_t>(length)) != 0) {
    if (errno != EOPNOTSUPP && errno != ENOSYS) return false;
    plain_writes_ = true;
    return true;
  }
  void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_.get(),
                       static_cast<off_t>(from));
  if (mapping == MAP_FAILED) return false;
  mapping_ = static_cast<char*>(mapping);
  mapped_from_ = from;
  mapped_bytes_ = length;
  return true;
}

void PosixJournalFile::Unmap() {
  if (mapping_ != nullptr) munmap(mapping_, mapped_bytes_);
  mapping_ = nullptr;
  mapped_bytes_ = 0;
}

}  // namespace quillfold
