#include "errors/run_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace quillfold {
namespace {

// The users know the numbers and texts from earlier releases; the OS's own
// text and the path, its control bytes escaped, follow in brackets.
TEST(RunErrorTest, MapsOsErrorsToTheClosestNumberAndKeepsPathAndOsText) {
  const std::tuple<int, std::int32_t, std::string> cases[] = {
      {ENOENT, 53, "File not found"},      {ENOTDIR, 76, "Path not found"},
      {EEXIST, 58, "File already exists"}, {ENOSPC, 61, "Disk full"},
      {EDQUOT, 61, "Disk full"},           {EACCES, 70, "Permission denied"},
      {EROFS, 70, "Permission denied"},    {EIO, 75, "Path/File access error"},
  };
  for (const auto& [os_error, number, text] : cases) {
    const RunError error = RunErrorFromOs(os_error, "moving", "/music/a\n.mp3");
    EXPECT_EQ(error.number(), number) << "errno " << os_error;
    EXPECT_EQ(error.description(),
              text + " (moving \"/music/a\\x0A.mp3\": " + std::strerror(os_error) + ")")
        << "errno " << os_error;
  }
}

TEST(RunErrorTest, StandardLibraryFailuresBecomeRunErrorsWithTheirOwnText) {
  const std::tuple<std::shared_ptr<std::exception>, std::int32_t, std::string> cases[] = {
      {std::make_shared<std::bad_alloc>(), 7, "Out of memory (std::bad_alloc)"},
      {std::make_shared<std::length_error>("too long"), 7, "Out of memory (too long)"},
      {std::make_shared<std::out_of_range>("index 1001"), 9, "Subscript out of range (index 1001)"},
      {std::make_shared<std::overflow_error>("count"), 6, "Overflow (count)"},
      {std::make_shared<std::runtime_error>("odd"), 51, "Internal error (odd)"},
      {std::make_shared<std::logic_error>("bug"), 51, "Internal error (bug)"},
      {std::make_shared<RunError>(ErrorNumber::kDiskFull, "Disk full (writing)"), 61,
       "Disk full (writing)"},
  };
  for (const auto& [error, number, description] : cases) {
    const RunError run_error = RunErrorFromException(*error);
    EXPECT_EQ(run_error.number(), number) << description;
    EXPECT_EQ(run_error.description(), description);
    EXPECT_STREQ(run_error.what(), description.c_str());
  }
}

}  // namespace
}  // namespace quillfold
