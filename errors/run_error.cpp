#include "errors/run_error.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "text/ascii.h"

namespace quillfold {
namespace {

ErrorNumber ClosestErrorNumber(int os_error) {
  switch (os_error) {
    case ENOENT:
      return ErrorNumber::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return ErrorNumber::kPathNotFound;
    case EEXIST:
    case ENOTEMPTY:
      return ErrorNumber::kFileAlreadyExists;
    case ENOSPC:
    case EDQUOT:
      return ErrorNumber::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return ErrorNumber::kPermissionDenied;
    case EOVERFLOW:
      return ErrorNumber::kOverflow;
    default:
      return ErrorNumber::kPathFileAccessError;
  }
}

}  // namespace

std::string_view ErrorNumberText(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::kOverflow:
      return "Overflow";
    case ErrorNumber::kOutOfMemory:
      return "Out of memory";
    case ErrorNumber::kSubscriptOutOfRange:
      return "Subscript out of range";
    case ErrorNumber::kUserInterrupt:
      return "User interrupt occurred";
    case ErrorNumber::kInternalError:
      return "Internal error";
    case ErrorNumber::kFileNotFound:
      return "File not found";
    case ErrorNumber::kFileAlreadyExists:
      return "File already exists";
    case ErrorNumber::kDiskFull:
      return "Disk full";
    case ErrorNumber::kPermissionDenied:
      return "Permission denied";
    case ErrorNumber::kPathFileAccessError:
      return "Path/File access error";
    case ErrorNumber::kPathNotFound:
      return "Path not found";
  }
  return "Unknown error";
}

RunError::RunError(ErrorNumber number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

RunError RunErrorFromOs(int os_error, std::string_view operation, std::string_view path) {
  const ErrorNumber number = ClosestErrorNumber(os_error);
  std::string description(ErrorNumberText(number));
  description += " (";
  description += operation;
  description += " \"";
  description += ControlBytesEscaped(path);
  description += "\": ";
  description += std::strerror(os_error);
  description += ")";
  return RunError(number, std::move(description));
}

RunError RunErrorFromException(const std::exception& error) {
  if (const auto* run_error = dynamic_cast<const RunError*>(&error)) return *run_error;
  ErrorNumber number = ErrorNumber::kInternalError;
  if (dynamic_cast<const std::bad_alloc*>(&error) ||
      dynamic_cast<const std::length_error*>(&error)) {
    number = ErrorNumber::kOutOfMemory;
  } else if (dynamic_cast<const std::out_of_range*>(&error)) {
    number = ErrorNumber::kSubscriptOutOfRange;
  } else if (dynamic_cast<const std::overflow_error*>(&error) ||
             dynamic_cast<const std::range_error*>(&error)) {
    number = ErrorNumber::kOverflow;
  }
  std::string description(ErrorNumberText(number));
  description += " (";
  description += error.what();
  description += ")";
  return RunError(number, std::move(description));
}

RunError UnknownExceptionError() {
  return RunError(ErrorNumber::kInternalError, "Internal error (an exception of unknown type)");
}

RunError RunStopped() {
  return RunError(ErrorNumber::kUserInterrupt,
                  "User interrupt occurred (the run was asked to stop)");
}

}  // namespace quillfold
