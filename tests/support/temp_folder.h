#pragma once

#include <string>
#include <string_view>

namespace quillfold::testing {

// A fresh folder under the system's temporary folder (or `under`), removed
// with all it holds when the object goes out of scope.
class TempFolder {
 public:
  explicit TempFolder(const std::string& under = "");
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  // The folder's full path, ending in "/".
  const std::string& path() const { return path_; }
  // path() followed by `relative`.
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// A folder in memory (/dev/shm) where one is, else "": tests that flush
// hundreds of times, and never lose power, run there in a fraction of the time.
std::string MemoryFolder();

// Writes `content` to `path`, creating missing parent folders.
void WriteFile(const std::string& path, std::string_view content);
// The whole content of `path`; fails the test when it cannot be read.
std::string ReadFile(const std::string& path);
// Creates the folder chain `path`.
void MakeFolders(const std::string& path);
// A symbolic link at `path` (parent folders created) holding `target`.
void MakeLink(const std::string& path, const std::string& target);
// Whether anything, a dangling link included, is at `path`.
bool Exists(const std::string& path);
// Makes the file or folder at `path` refuse changes, also to the superuser,
// who passes every permission test: for root it gets the immutable flag,
// for others it loses its write permission. False where that cannot be
// done. AllowChanges gives the changes back.
bool RefuseChanges(const std::string& path);
void AllowChanges(const std::string& path);

}  // namespace quillfold::testing
