// The three ways of a no-replace move, on fake system calls: which way each
// kind of file system gets, that the way found is remembered, and that no
// way ever replaces a file.
#include "platform/no_replace_rename.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "errors/run_error.h"

namespace quillfold {
namespace {

// One fake disk of names; each call appends its name to `log`.
struct FakeDisk {
  int no_replace_error = 0;  // what renameat2 answers; 0 = it works
  int link_error = 0;        // what link answers; 0 = it works
  int unlink_error = 0;
  std::set<std::string> names;
  std::string log;  // each call's name and a space
};
FakeDisk* disk = nullptr;

int Refuse(int error) {
  errno = error;
  return -1;
}
int Add(const char* to) {
  if (disk->names.contains(to)) return Refuse(EEXIST);
  disk->names.insert(to);
  return 0;
}

RenameCalls FakeCalls() {
  return {[](int, const char* from, int, const char* to) {
            disk->log += "renameat2 ";
            if (disk->no_replace_error != 0) return Refuse(disk->no_replace_error);
            if (Add(to) != 0) return -1;
            disk->names.erase(from);
            return 0;
          },
          [](int, const char*, int, const char* to) {
            disk->log += "link ";
            return disk->link_error != 0 ? Refuse(disk->link_error) : Add(to);
          },
          [](int, const char* path) {
            disk->log += "unlink ";
            if (disk->unlink_error != 0 && disk->names.contains(path) &&
                std::string(path).starts_with("/old")) {
              return Refuse(disk->unlink_error);
            }
            disk->names.erase(path);
            return 0;
          },
          [](int, const char* from, int, const char* to) {
            disk->log += "rename ";
            disk->names.erase(from);
            disk->names.insert(to);
            return 0;
          },
          [](int, const char* path, dev_t* device) {
            disk->log += "lstat ";
            if (!disk->names.contains(path)) return Refuse(ENOENT);
            *device = 7;
            return 0;
          }};
}

struct Medium {
  const char* name;
  int no_replace_error;
  int link_error;
  const char* first_move;
  const char* second_move;  // the way found, remembered
};

void PrintTo(const Medium& medium, std::ostream* os) { *os << medium.name; }

class NoReplaceRenameTest : public ::testing::TestWithParam<Medium> {
 protected:
  void SetUp() override {
    disk = &disk_;
    disk_.no_replace_error = GetParam().no_replace_error;
    disk_.link_error = GetParam().link_error;
    disk_.names = {"/old/a", "/old/b", "/old/c", "/new/taken"};
  }
  void TearDown() override { disk = nullptr; }
  FakeDisk disk_;
  NoReplaceRenamer renamer_{FakeCalls()};
};

TEST_P(NoReplaceRenameTest, TakesTheBestWayTheMediumAllowsAndRemembersIt) {
  EXPECT_EQ(renamer_.Move("/old/a", "/new/a"), RenameOutcome::kRenamed);
  EXPECT_EQ(disk_.log, GetParam().first_move);
  disk_.log.clear();
  EXPECT_EQ(renamer_.Move("/old/b", "/new/b"), RenameOutcome::kRenamed);
  EXPECT_EQ(disk_.log, GetParam().second_move);
  EXPECT_EQ(renamer_.Move("/old/c", "/new/taken"), RenameOutcome::kTargetTaken);
  EXPECT_EQ(disk_.names, (std::set<std::string>{"/new/a", "/new/b", "/new/taken", "/old/c"}));
}

// How each kind of medium answers, and the calls its first and second move make.
const Medium kMedia[] = {
    {"Ext4", 0, 0, "renameat2 ", "renameat2 "},
    {"NoRenameFlag", EINVAL, 0, "renameat2 lstat link unlink ", "lstat link unlink "},
    {"Fat", EINVAL, EPERM, "renameat2 lstat link lstat rename ", "lstat lstat rename "},
    {"FuseWithoutLinks", ENOSYS, ENOTSUP, "renameat2 lstat link lstat rename ",
     "lstat lstat rename "}};
INSTANTIATE_TEST_SUITE_P(Media, NoReplaceRenameTest, ::testing::ValuesIn(kMedia),
                         [](const auto& medium) { return std::string(medium.param.name); });

// A failure of one move is the move's error, never a reason to try a weaker
// way; an old name that cannot be removed takes its new link away again.
TEST(NoReplaceRenameFailureTest, FailuresThrowAndLeaveTheFileWhereItWas) {
  FakeDisk fake;
  disk = &fake;
  fake.names = {"/old/a"};
  fake.no_replace_error = EACCES;
  NoReplaceRenamer renamer(FakeCalls());
  EXPECT_THROW(renamer.Move("/old/a", "/new/a"), RunError);
  EXPECT_EQ(fake.log, "renameat2 ");
  fake.no_replace_error = EINVAL;
  fake.unlink_error = EROFS;
  EXPECT_THROW(renamer.Move("/old/a", "/new/a"), RunError);
  EXPECT_EQ(fake.names, (std::set<std::string>{"/old/a"}));
  disk = nullptr;
}

}  // namespace
}  // namespace quillfold
