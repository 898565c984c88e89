#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillfold::testing {

// A private tree on some FileSystem, for tests that must run alike on the
// real file system and on fakes. Relative paths are written with "/" and
// converted to the file system's separator.
class FileSystemSandbox {
 public:
  virtual ~FileSystemSandbox() = default;

  virtual FileSystem& fs() = 0;
  // The sandbox's root folder, ending in the separator.
  virtual std::string root() const = 0;
  virtual void AddFile(std::string_view relative, std::string_view content) = 0;
  virtual void AddFolder(std::string_view relative) = 0;
  // A symbolic link at `relative` pointing to `target` (any text).
  virtual void AddLink(std::string_view relative, std::string_view target) = 0;

  // root() followed by `relative`, separators converted.
  std::string Path(std::string_view relative);
};

using SandboxFactory = std::function<std::unique_ptr<FileSystemSandbox>()>;

// A sandbox on the real file system, inside a fresh temporary folder.
std::unique_ptr<FileSystemSandbox> MakePosixSandbox();

// A sandbox on a MemoryFileSystem with `separator`: "/box/" for "/" and
// "D:\box\" for the backslash. Link targets are converted like paths.
std::unique_ptr<FileSystemSandbox> MakeMemorySandbox(char separator);

}  // namespace quillfold::testing
