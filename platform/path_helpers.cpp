#include "platform/path_helpers.h"

#include "text/add_backslash.h"

namespace quillfold {

bool EnsureFolder(FileSystem& file_system, std::string_view folder) {
  return file_system.CreateFolderChain(AddBackslash(folder, file_system.separator())) == 0;
}

bool PathExists(FileSystem& file_system, const std::string& path) {
  return file_system.PathExists(path);
}

}  // namespace quillfold
