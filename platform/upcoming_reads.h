#pragma once

#include <cstddef>
#include <string>

namespace quillfold {

// The bytes from a file's start that a run reading ID3v2 tags asks for in
// its first read: the tag header and the text frames of a typical tag.
inline constexpr std::size_t kTagHeadSize = 4096;

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

  // The run will ask for the head and tail of `full_path` together (the
  // ReadOrdinaryFileParts of kTagHeadSize bytes
  // from offset 0 and the last 128 bytes), after every read announced
  // before it.
  virtual void ExpectHeadAndTail(const std::string& full_path) = 0;

  // No tail announced so far will be asked for: drop them all.
  virtual void ForgetExpected() = 0;
};

}  // namespace quillfold
