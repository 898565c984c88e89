#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

// The application exists only while tests run: listing the tests (as test
// discovery does at build time) needs no display at all.
class ApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "app_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
  return RUN_ALL_TESTS();
}
