#include "text/add_backslash.h"

namespace quillfold {

std::string AddBackslash(std::string_view path, char separator) {
  // Drive-letter paths drop trailing blanks; on Linux they are part of the
  // folder's name.
  std::string result(separator == '\\' ? path.substr(0, path.find_last_not_of(' ') + 1) : path);
  if (result.empty() || result.back() != separator) result += separator;
  return result;
}

}  // namespace quillfold
