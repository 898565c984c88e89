#include "errors/run_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace quillfold {
namespace {

TEST(RunErrorTest, MapsOsErrorsToTheClosestNumberAndKeepsPathAndOsText) {
  const std::pair<int, ErrorNumber> cases[] = {
      {ENOENT, ErrorNumber::kFileNotFound},       {ENOTDIR, ErrorNumber::kPathNotFound},
      {EEXIST, ErrorNumber::kFileAlreadyExists},  {ENOSPC, ErrorNumber::kDiskFull},
      {EDQUOT, ErrorNumber::kDiskFull},           {EACCES, ErrorNumber::kPermissionDenied},
      {EPERM, ErrorNumber::kPermissionDenied},    {EROFS, ErrorNumber::kPermissionDenied},
      {EXDEV, ErrorNumber::kPathFileAccessError}, {EIO, ErrorNumber::kPathFileAccessError},
  };
  for (const auto& [os_error, number] : cases) {
    const RunError error = RunErrorFromOs(os_error, "moving", "/music/a.mp3");
    EXPECT_EQ(error.error_number(), number) << "errno " << os_error;
    EXPECT_NE(error.description().find("\"/music/a.mp3\""), std::string::npos);
    EXPECT_NE(error.description().find(std::strerror(os_error)), std::string::npos);
    EXPECT_EQ(error.description().rfind(ErrorNumberText(number), 0), 0u);
  }
}

TEST(RunErrorTest, NumberMatchesTheUsersFamiliarCodes) {
  EXPECT_EQ(RunError(ErrorNumber::kPathNotFound, "x").number(), 76);
  EXPECT_EQ(RunError(ErrorNumber::kOverflow, "x").number(), 6);
  EXPECT_STREQ(RunError(ErrorNumber::kDiskFull, "full").what(), "full");
}

}  // namespace
}  // namespace quillfold
