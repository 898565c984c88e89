#include "errors/error_reporter.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillfold {
namespace {

// Records what the reporter does instead of touching the desktop.
class FakeHost final : public ErrorReporterHost {
 public:
  explicit FakeHost(bool answer_yes) : answer_yes_(answer_yes) {}

  void ClearClipboard() override {
    calls.push_back("clear");
    clipboard.clear();
  }
  void SetClipboardText(const std::string& text) override {
    calls.push_back("set");
    clipboard = text;
  }
  bool AskContinue(const std::string& text, const std::string& title) override {
    calls.push_back("ask");
    shown_text = text;
    shown_title = title;
    return answer_yes_;
  }
  void EndProgramNow() override { calls.push_back("end"); }

  std::vector<std::string> calls;
  std::string clipboard = "earlier content";
  std::string shown_text;
  std::string shown_title;

 private:
  bool answer_yes_;
};

TEST(ErrorReporterTest, BuildsTheSevenLineMessage) {
  EXPECT_EQ(BuildErrorMessage("nformat", 6, "Overflow"),
            "An error has occurred in nformat:\r\n"
            "\r\n"
            "6: Overflow\r\n"
            "\r\n"
            "Continue Program? (Choosing No will end the program.)\r\n"
            "(Also, this error has been copied to the clipboard.\r\n"
            "Please paste into an email to support@quillfold.example)");
}

TEST(ErrorReporterTest, NumberLineKeepsSignAndEmptyDescription) {
  EXPECT_NE(BuildErrorMessage("x", -2147483647, "").find("\r\n-2147483647: \r\n"),
            std::string::npos);
  EXPECT_NE(BuildErrorMessage("x", 53, "").find("\r\n53: \r\n"), std::string::npos);
}

TEST(ErrorReporterTest, YesShowsCopiesClearsAndReturnsTheNumber) {
  FakeHost host(/*answer_yes=*/true);
  PendingError pending{6, "Overflow"};
  EXPECT_EQ(ReportError("nformat", pending, host), 6);
  EXPECT_EQ((std::vector<std::string>{"clear", "set", "ask"}), host.calls);
  EXPECT_EQ(host.clipboard, host.shown_text) << "the clipboard holds exactly the shown text";
  EXPECT_EQ(host.shown_text, BuildErrorMessage("nformat", 6, "Overflow"));
  EXPECT_EQ(host.shown_title, "Program Error");
  EXPECT_EQ(pending.number, 0);
  EXPECT_EQ(pending.description, "");
}

TEST(ErrorReporterTest, NoEndsTheProgram) {
  FakeHost host(/*answer_yes=*/false);
  PendingError pending{70, "Permission denied"};
  ReportError("OrganizeRun", pending, host);
  EXPECT_EQ((std::vector<std::string>{"clear", "set", "ask", "end"}), host.calls);
}

TEST(ErrorReporterTest, NothingPendingShowsNothingAndKeepsTheClipboard) {
  FakeHost host(/*answer_yes=*/true);
  PendingError pending;
  EXPECT_EQ(ReportError("nformat", pending, host), 0);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(host.clipboard, "earlier content");
}

TEST(ErrorReporterTest, OneArgumentFormUsesTheInstalledHost) {
  FakeHost host(/*answer_yes=*/true);
  InstallErrorReporterHost(&host);
  PendingError pending{9, "Subscript out of range"};
  ReportError("OrganizeRun", pending);
  InstallErrorReporterHost(nullptr);
  EXPECT_EQ(host.shown_text.rfind("An error has occurred in OrganizeRun:", 0), 0u);
}

}  // namespace
}  // namespace quillfold
