#include "errors/run_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

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
  EXPECT_EQ(RunError(ErrorNumber::kPathNotFound, "x").number(), 76) << "the users' familiar code";
  for (const auto& [os_error, number] : cases) {
    const RunError error = RunErrorFromOs(os_error, "moving", "/music/a.mp3");
    EXPECT_EQ(error.error_number(), number) << "errno " << os_error;
    EXPECT_EQ(error.description(), std::string(ErrorNumberText(number)) +
                                       " (moving \"/music/a.mp3\": " + std::strerror(os_error) +
                                       ")")
        << "errno " << os_error;
  }
}

TEST(RunErrorTest, StandardLibraryFailuresBecomeRunErrorsWithTheirOwnText) {
  struct Case {
    std::shared_ptr<std::exception> error;
    ErrorNumber number;
  };
  const Case cases[] = {
      {std::make_shared<std::bad_alloc>(), ErrorNumber::kOutOfMemory},
      {std::make_shared<std::length_error>("too long"), ErrorNumber::kOutOfMemory},
      {std::make_shared<std::out_of_range>("index 1001"), ErrorNumber::kSubscriptOutOfRange},
      {std::make_shared<std::overflow_error>("count"), ErrorNumber::kOverflow},
      {std::make_shared<std::runtime_error>("odd"), ErrorNumber::kInternalError},
      {std::make_shared<std::logic_error>("bug"), ErrorNumber::kInternalError},
  };
  for (const auto& c : cases) {
    const RunError error = RunErrorFromException(*c.error);
    EXPECT_EQ(error.error_number(), c.number) << c.error->what();
    EXPECT_NE(error.description().find(c.error->what()), std::string::npos) << c.error->what();
  }
  const RunError original(ErrorNumber::kDiskFull, "Disk full (writing)");
  const RunError same = RunErrorFromException(original);
  EXPECT_EQ(same.error_number(), ErrorNumber::kDiskFull);
  EXPECT_EQ(same.description(), "Disk full (writing)");
  EXPECT_STREQ(same.what(), "Disk full (writing)");
}

}  // namespace
}  // namespace quillfold
