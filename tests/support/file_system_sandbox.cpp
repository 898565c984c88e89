#include "tests/support/file_system_sandbox.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/posix_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_folder.h"

namespace quillfold::testing {
namespace {

class PosixSandbox final : public FileSystemSandbox {
 public:
  FileSystem& fs() override { return fs_; }
  std::string root() const override { return temp_.path(); }
  void AddFile(std::string_view relative, std::string_view content) override {
    WriteFile(temp_ / relative, content);
  }
  void AddFolder(std::string_view relative) override { MakeFolders(temp_ / relative); }
  void AddLink(std::string_view relative, std::string_view target) override {
    const std::string path = temp_ / relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (symlink(std::string(target).c_str(), path.c_str()) != 0) {
      throw std::runtime_error("symlink failed: " + path);
    }
  }

 private:
  TempFolder temp_;
  PosixFileSystem fs_;
};

class MemorySandbox final : public FileSystemSandbox {
 public:
  explicit MemorySandbox(char separator)
      : fs_(separator, separator == '\\' ? "D:\\" : "/"),
        root_(fs_.separator() == '\\' ? "D:\\box\\" : "/box/") {
    fs_.AddFolder(root_);
  }
  FileSystem& fs() override { return fs_; }
  std::string root() const override { return root_; }
  void AddFile(std::string_view relative, std::string_view content) override {
    fs_.AddFile(Path(relative), content);
  }
  void AddFolder(std::string_view relative) override { fs_.AddFolder(Path(relative)); }
  void AddLink(std::string_view relative, std::string_view target) override {
    std::string converted(target);
    std::replace(converted.begin(), converted.end(), '/', fs_.separator());
    fs_.AddLink(Path(relative), converted);
  }

 private:
  MemoryFileSystem fs_;
  std::string root_;
};

}  // namespace

std::string FileSystemSandbox::Path(std::string_view relative) {
  std::string path = root() + std::string(relative);
  std::replace(path.begin(), path.end(), '/', fs().separator());
  return path;
}

std::unique_ptr<FileSystemSandbox> MakePosixSandbox() { return std::make_unique<PosixSandbox>(); }

std::unique_ptr<FileSystemSandbox> MakeMemorySandbox(char separator) {
  return std::make_unique<MemorySandbox>(separator);
}

}  // namespace quillfold::testing
