#include "errors/error_reporter.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/recording_error_host.h"

namespace quillfold {
namespace {

using testing::RecordingErrorHost;

TEST(ErrorReporterTest, BuildsTheSevenLineMessage) {
  EXPECT_EQ(BuildErrorMessage("nformat", 6, "Overflow"),
            "An error has occurred in nformat:\r\n"
            "\r\n"
            "6: Overflow\r\n"
            "\r\n"
            "Continue Program? (Choosing No will end the program.)\r\n"
            "(Also, this error has been copied to the clipboard.\r\n"
            "Please paste into an email to support@quillfold.example)");
  EXPECT_NE(BuildErrorMessage("x", -2147483647, "").find("\r\n-2147483647: \r\n"),
            std::string::npos);
}

// The clipboard is cleared, then given exactly the text shown; only "No"
// ends the program, and the pending error is cleared either way.
TEST(ErrorReporterTest, ShowsCopiesAndEndsOnlyOnNo) {
  for (const bool answer_yes : {true, false}) {
    RecordingErrorHost host;
    host.answer_yes = answer_yes;
    PendingError pending{6, "Overflow"};
    EXPECT_EQ(ReportError("nformat", pending, host), 6) << answer_yes;
    std::vector<std::string> expected_calls = {"clear", "set", "ask"};
    if (!answer_yes) expected_calls.push_back("end");
    EXPECT_EQ(host.calls, expected_calls) << answer_yes;
    EXPECT_EQ(host.shown, std::vector<std::string>{host.clipboard}) << answer_yes;
    EXPECT_EQ(host.clipboard, BuildErrorMessage("nformat", 6, "Overflow")) << answer_yes;
    EXPECT_EQ(host.shown_title, "Program Error") << answer_yes;
    EXPECT_EQ(pending.number, 0) << answer_yes;
    EXPECT_EQ(pending.description, "") << answer_yes;
  }
}

TEST(ErrorReporterTest, NothingPendingShowsNothingAndKeepsTheClipboard) {
  RecordingErrorHost host;
  PendingError pending;
  EXPECT_EQ(ReportError("nformat", pending, host), 0);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(host.clipboard, "earlier content");
}

}  // namespace
}  // namespace quillfold
