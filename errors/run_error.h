#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillfold {

// Error numbers the program's users know from its earlier releases.
enum class ErrorNumber : std::int32_t {
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kUserInterrupt = 18,
  kInternalError = 51,
  kFileNotFound = 53,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

// The standard text for a number, e.g. "Path not found" for 76.
std::string_view ErrorNumberText(ErrorNumber number);

// A failure that ends a run where it stands. It carries a number and a
// description and travels to the front end that shows it.
class RunError : public std::runtime_error {
 public:
  RunError(ErrorNumber number, std::string description);

  std::int32_t number() const { return static_cast<std::int32_t>(number_); }
  ErrorNumber error_number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  ErrorNumber number_;
  std::string description_;
};

// Translates an OS error (errno value) met while doing `operation` on `path`
// into the closest RunError. The description keeps the standard text, the
// operation, the path and the OS's own text, e.g.
//   Permission denied (creating folder "/srv/music/Abba": Permission denied)
RunError RunErrorFromOs(int os_error, std::string_view operation, std::string_view path);

// The RunError that a failure of the standard library stands for, so that a
// front end only ever meets RunError: running out of memory is kOutOfMemory,
// a value out of range kOverflow, an index out of range kSubscriptOutOfRange,
// anything else kInternalError (a fault of the program, never of the user's
// files). A RunError is returned unchanged.
RunError RunErrorFromException(const std::exception& error);

// The RunError for an exception of no standard type: kInternalError.
RunError UnknownExceptionError();

// The result of `work`; a failure of the standard library leaves it as the
// RunError it stands for, so that an engine entry point throws nothing else.
template <typename Work>
auto WithRunErrorsOnly(Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const RunError&) {
    throw;
  } catch (const std::exception& error) {
    throw RunErrorFromException(error);
  }
}

// What ends a run that the user asked to stop, between two files: number
// kUserInterrupt. It travels like any failure, so the files moved so far
// keep their playlists and their journal.
RunError RunStopped();

}  // namespace quillfold
