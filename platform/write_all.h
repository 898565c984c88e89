#pragma once

#include <string_view>

namespace quillfold {

// Writes all of `content` to the file descriptor `fd`, going on after
// interrupted and partial writes. False on the first real failure, with
// errno telling why.
bool WriteAll(int fd, std::string_view content);

}  // namespace quillfold
