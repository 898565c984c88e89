#include "tests/support/file_system_sandbox.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/posix_file_system.h"
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

}  // namespace

std::string FileSystemSandbox::Path(std::string_view relative) {
  std::string path = root() + std::string(relative);
  std::replace(path.begin(), path.end(), '/', fs().separator());
  return path;
}

std::unique_ptr<FileSystemSandbox> MakePosixSandbox() { return std::make_unique<PosixSandbox>(); }

}  // namespace quillfold::testing
