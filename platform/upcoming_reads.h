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

  // How many tails past the one being used are worth announcing.
  virtual std::size_t Window() const = 0;

  // The run will ask for the tail of `full_path` after every tail announced
  // before it.
  virtual void ExpectTail(const std::string& full_path) = 0;

  // A reader of one file's tag, run ahead of need: the reads it makes of the
  // file through ReadOrdinaryFileParts are the reads the run will make.
  using AheadReader = void (*)(FileSystem& file_system, const std::string& full_path);

  // The run will read `full_path` as `reader` does, beginning with a
  // ReadOrdinaryFileParts from offset 0, after every read announced before
  // it.
  virtual void ExpectReadsOf(const std::string& full_path, AheadReader reader) = 0;

  // No tail announced so far will be asked for: drop them all.
  virtual void ForgetExpected() = 0;
};

}  // namespace quillfold
