#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/journal_storage.h"
#include "platform/unique_fd.h"

namespace quillfold {

// A journal on the real disk, appended through a shared mapping of the
// file: the bytes are in the page cache, where they outlive the process,
// the moment they are copied, with no system call per record. The file
// grows a chunk at a time with its room reserved first (fallocate), so a
// full disk refuses the chunk with an error instead of failing a copy into
// the mapping. Closing cuts the unused end off; after a kill that end of
// zeros reads as a torn end, which is cut off before anything is added.
// Where room cannot be reserved (no fallocate), each append is a write; so
// is a record larger than a chunk, which mapped whole would count in the
// program's memory.
class PosixJournalFile final : public JournalFile {
 public:
  // `fd` is open for reading and writing and `size` bytes long; a file just
  // `created` has its folder flushed with its first flush.
  PosixJournalFile(UniqueFd fd, std::size_t size, std::string path, std::string folder,
                   bool created);
  PosixJournalFile(const PosixJournalFile&) = delete;
  PosixJournalFile& operator=(const PosixJournalFile&) = delete;
  ~PosixJournalFile() override;

  void Append(std::string_view bytes) override;
  // Pages changed through the mapping are written out by fdatasync too.
  void Flush() override;

 private:
  // Reserves and maps room for `bytes` more from end_; false, with errno
  // set, when it cannot. Switches to plain writes where nothing can be
  // reserved.
  bool MakeRoom(std::size_t bytes);
  void Unmap();

  UniqueFd fd_;
  std::size_t end_;  // the journal's length; the file may be longer
  char* mapping_ = nullptr;
  std::size_t mapped_from_ = 0;  // the file offset of mapping_[0]
  std::size_t mapped_bytes_ = 0;
  bool plain_writes_ = false;
  std::string path_;
  std::string folder_;
  bool created_;
};

}  // namespace quillfold
