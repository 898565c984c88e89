#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"

namespace quillfold {

// A file system that can read file tails ahead of need also offers this, so
// that the organiser can say which tails it will ask for next. Every call
// comes from the organiser's own thread.
class UpcomingReads {
 public:
  virtual ~UpcomingReads() = default;

  // The run will ask for the tail of `full_path` after every tail announced
  // before it. False when no more are taken for now (the reads ahead are
  // as many as memory allows, or reading ahead does not pay): announce it
  // again before its turn comes.
  virtual bool ExpectTail(const std::string& full_path) = 0;

  // A reader of one file's tag, run ahead of need: the reads it makes of the
  // file through ReadOrdinaryFileParts are the reads the run will make.
  using AheadReader = void (*)(FileSystem& file_system, const std::string& full_path);

  // The run will read `full_path` as `reader` does, beginning with a
  // ReadOrdinaryFileParts from offset 0, after every read announced before
  // it; the reader's reads of one file take at most `reads_at_most` bytes
  // together. False as for ExpectTail.
  virtual bool ExpectReadsOf(const std::string& full_path, AheadReader reader,
                             std::size_t reads_at_most) = 0;

  // No tail announced so far will be asked for: drop them all.
  virtual void ForgetExpected() = 0;
};

}  // namespace quillfold
