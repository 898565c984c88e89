// The contract every FileSystem keeps: the real one and every fake run these.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

#include "errors/run_error.h"
#include "platform/posix_file_system.h"
#include "tests/support/file_system_sandbox.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::FileSystemSandbox;
using testing::SandboxFactory;
using Names = std::vector<std::string>;

class FileSystemContractTest : public ::testing::TestWithParam<SandboxFactory> {
 protected:
  void SetUp() override { box_ = GetParam()(); }
  FileSystem& fs() { return box_->fs(); }
  std::string Path(std::string_view relative) { return box_->Path(relative); }

  std::unique_ptr<FileSystemSandbox> box_;
};

TEST_P(FileSystemContractTest, ListsFilesAndFoldersSortedWithHiddenOnesAndLinksOnlyCounted) {
  // root/ b.mp3 A.mp3 .hidden.mp3 a.MP3 Sub/ sub2/ .dot/ extra.mp3/ link.mp3 -> b.mp3
  box_->AddFile("b.mp3", "b");
  box_->AddFile("A.mp3", "a");
  box_->AddFile(".hidden.mp3", "h");
  box_->AddFile("a.MP3", "x");
  box_->AddFolder("Sub");
  box_->AddFolder("sub2");
  box_->AddFolder(".dot");
  box_->AddFolder("extra.mp3");
  box_->AddLink("link.mp3", "b.mp3");
  const FolderListing listing = fs().ListFolder(box_->root());
  EXPECT_EQ(listing.files, (Names{".hidden.mp3", "A.mp3", "a.MP3", "b.mp3"}));
  EXPECT_EQ(listing.folders, (Names{".dot", "extra.mp3", "Sub", "sub2"}));
  EXPECT_EQ(listing.links, (Names{"link.mp3"}));
  EXPECT_FALSE(listing.empty());
}

TEST_P(FileSystemContractTest, ListingAMissingFolderOrAFileThrows) {
  box_->AddFile("file", "x");
  EXPECT_THROW(fs().ListFolder(Path("missing")), RunError);
  EXPECT_THROW(fs().ListFolder(Path("file")), RunError);
}

TEST_P(FileSystemContractTest, AFolderHoldingOnlyALinkIsNotEmpty) {
  box_->AddFolder("empty");
  box_->AddLink("linked/loop", "..");
  EXPECT_TRUE(fs().ListFolder(Path("empty")).empty());
  const FolderListing linked = fs().ListFolder(Path("linked"));
  EXPECT_FALSE(linked.empty());
  EXPECT_TRUE(linked.folders.empty()) << "a link to a folder is never searched";
}

TEST_P(FileSystemContractTest, PathExistsSeesAnythingIncludingDanglingLinks) {
  box_->AddFile(".hidden", "x");
  box_->AddFolder("folder");
  box_->AddLink("dangling", "nowhere");
  EXPECT_TRUE(fs().PathExists(Path(".hidden")));
  EXPECT_TRUE(fs().PathExists(Path("folder")));
  EXPECT_TRUE(fs().PathExists(Path("dangling")));
  EXPECT_FALSE(fs().PathExists(Path("nowhere")));
  EXPECT_FALSE(fs().PathExists(Path(".hidden/below")));
}

TEST_P(FileSystemContractTest, IsSymbolicLinkSeesOnlyTheLinkItself) {
  box_->AddFolder("folder");
  box_->AddFile("file", "x");
  box_->AddLink("to-folder", "folder");
  box_->AddLink("dangling", "nowhere");
  box_->AddLink("through/inner", "../folder");
  EXPECT_TRUE(fs().IsSymbolicLink(Path("to-folder")));
  EXPECT_TRUE(fs().IsSymbolicLink(Path("dangling")));
  EXPECT_TRUE(fs().IsSymbolicLink(Path("through/inner")));
  for (const char* name : {"folder", "file", "missing", "to-folder/missing"}) {
    EXPECT_FALSE(fs().IsSymbolicLink(Path(name))) << name;
  }
}

TEST_P(FileSystemContractTest, PathsThroughALinkReachItsTarget) {
  // root/ real/song.mp3  alias -> real
  box_->AddFile("real/song.mp3", "tune");
  box_->AddLink("alias", "real");
  EXPECT_TRUE(fs().PathExists(Path("alias/song.mp3")));
  EXPECT_EQ(fs().ReadTextFile(Path("alias/song.mp3")), "tune");
  EXPECT_EQ(fs().CreateFolderChain(Path("alias/new/")), 0);
  EXPECT_TRUE(fs().PathExists(Path("real/new")));
  EXPECT_EQ(fs().RenameNoReplace(Path("real/song.mp3"), Path("alias/new/song.mp3")),
            RenameOutcome::kRenamed);
  EXPECT_TRUE(fs().PathExists(Path("real/new/song.mp3")));
  EXPECT_THROW(fs().ListFolder(Path("alias")), RunError) << "a listing never follows a link";
}

TEST_P(FileSystemContractTest, FollowingLinksGivesThePathWithoutThem) {
  box_->AddFile("real/list.m3u", "x");
  box_->AddLink("alias", "real");
  box_->AddLink("alias/again.m3u", "../alias/list.m3u");
  box_->AddLink("dangling.m3u", "missing");
  const struct {
    std::string_view path;
    std::string_view resolved;  // empty: leads nowhere
    bool is_folder;
  } cases[] = {
      {"alias/again.m3u", "real/list.m3u", false},
      {"alias", "real", true},
      {"real/../alias/list.m3u", "real/list.m3u", false},
      {"dangling.m3u", "", false},
  };
  for (const auto& c : cases) {
    const std::optional<ResolvedPath> resolved = fs().FollowLinks(Path(c.path));
    ASSERT_EQ(resolved.has_value(), !c.resolved.empty()) << c.path;
    if (!resolved) continue;
    EXPECT_EQ(resolved->path, Path(c.resolved)) << c.path;
    EXPECT_EQ(resolved->is_folder, c.is_folder) << c.path;
  }
}

TEST_P(FileSystemContractTest, TailIsReadFromOrdinaryFilesOnly) {
  box_->AddFile("song.mp3", "0123456789");
  box_->AddFile(".hidden.mp3", "0123456789");
  box_->AddFolder("folder.mp3");
  box_->AddLink("link.mp3", "song.mp3");
  std::array<std::uint8_t, 4> tail{};
  ASSERT_TRUE(fs().ReadOrdinaryFileTail(Path("song.mp3"), tail).read);
  EXPECT_EQ(tail, (std::array<std::uint8_t, 4>{'6', '7', '8', '9'}));
  std::array<std::uint8_t, 11> too_long{};
  EXPECT_FALSE(fs().ReadOrdinaryFileTail(Path("song.mp3"), too_long).read);
  // Nothing to read is no failure; a file gone since it was listed is one.
  const struct {
    const char* name;
    int error;
  } unread[] = {{".hidden.mp3", 0}, {"folder.mp3", 0}, {"link.mp3", 0}, {"missing.mp3", ENOENT}};
  for (const auto& c : unread) {
    const TailRead result = fs().ReadOrdinaryFileTail(Path(c.name), tail);
    EXPECT_FALSE(result.read) << c.name;
    EXPECT_EQ(result.error, c.error) << c.name;
  }
}

TEST_P(FileSystemContractTest, CreateFolderChainStopsAtTheLastSeparator) {
  const char sep = fs().separator();
  EXPECT_EQ(fs().CreateFolderChain(Path("a/b/") + "file"), 0);
  EXPECT_TRUE(fs().PathExists(Path("a/b")));
  EXPECT_FALSE(fs().PathExists(Path("a/b/file")));
  box_->AddFile("blocker", "x");
  EXPECT_EQ(fs().CreateFolderChain(Path("blocker/c") + sep), ENOTDIR) << "a file in the way";
}

TEST_P(FileSystemContractTest, RenameMovesAndNeverReplaces) {
  box_->AddFile("from.mp3", "moving");
  box_->AddFile("taken.mp3", "keep me");
  box_->AddFolder("dest");
  box_->AddFolder("folder.mp3");
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("taken.mp3")), RenameOutcome::kTargetTaken);
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("folder.mp3")),
            RenameOutcome::kTargetTaken);
  EXPECT_EQ(fs().ReadTextFile(Path("taken.mp3")), "keep me");
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("dest/to.mp3")), RenameOutcome::kRenamed);
  EXPECT_FALSE(fs().PathExists(Path("from.mp3")));
  EXPECT_EQ(fs().ReadTextFile(Path("dest/to.mp3")), "moving");
}

TEST_P(FileSystemContractTest, RenameFailuresThrow) {
  box_->AddFile("file.mp3", "x");
  EXPECT_THROW(fs().RenameNoReplace(Path("missing.mp3"), Path("to.mp3")), RunError);
  EXPECT_THROW(fs().RenameNoReplace(Path("file.mp3"), Path("no/such/folder.mp3")), RunError);
  EXPECT_TRUE(fs().PathExists(Path("file.mp3")));
}

TEST_P(FileSystemContractTest, RemoveEmptyFolderRemovesOnlyEmptyFolders) {
  box_->AddFolder("empty");
  box_->AddFile("full/x", "x");
  box_->AddFile("file", "x");
  fs().RemoveEmptyFolder(Path("empty"));
  EXPECT_FALSE(fs().PathExists(Path("empty")));
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("full")), RunError);
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("file")), RunError);
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("missing")), RunError);
  EXPECT_TRUE(fs().PathExists(Path("full/x")));
}

TEST_P(FileSystemContractTest, TextFilesRoundTripByteForByte) {
  const std::string content("a\r\nb\rc\nd\0\xFF", 10);
  box_->AddFile("list.m3u", "old");
  fs().ReplaceTextFile(Path("list.m3u"), content);
  EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), content);
  fs().ReplaceTextFile(Path("list.m3u"), "");
  EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), "");
  EXPECT_THROW(fs().ReadTextFile(Path("missing.m3u")), RunError);
  EXPECT_EQ(fs().ListFolder(box_->root()).files, (Names{"list.m3u"})) << "no temporary left";
}

TEST_P(FileSystemContractTest, AHeldFolderKeepsOutRunsOnItselfAndInsideAndAbove) {
  box_->AddFolder("music/rock/old");
  box_->AddFolder("music/jazz");
  box_->AddFolder("books");
  const struct {
    std::string_view second;
    bool refused;
  } cases[] = {
      {"music", true}, {"music/rock", true},  {"music/rock/old", true},
      {"", true},      {"music/jazz", false}, {"books", false},
  };
  for (const auto& c : cases) {
    const auto first = fs().HoldForRun(Path("music/rock"));
    ASSERT_NE(first, nullptr);
    const auto second = fs().HoldForRun(Path(c.second));
    EXPECT_EQ(second == nullptr, c.refused) << c.second;
  }
  const auto jazz = fs().HoldForRun(Path("music/jazz"));
  const auto books = fs().HoldForRun(Path("books"));
  EXPECT_NE(jazz, nullptr) << "each hold is given up when it goes";
  EXPECT_NE(books, nullptr) << "holds below one common folder stand side by side";
}

// Sets or clears the immutable flag; false where this process may not.
bool SetImmutable(const std::string& path, bool immutable) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return done;
}

// A folder that takes no new file (root passes every permission test, so for
// root the folder is made immutable) while its playlist may still be written:
// the playlist is rewritten in place. When the playlist refuses too, the
// error names its folder, and the playlist keeps its old bytes.
TEST(PosixFileSystemTest, AFolderThatTakesNoNewFileGetsItsPlaylistRewrittenInPlace) {
  testing::TempFolder temp;
  const std::string folder = temp / "locked";
  const std::string list = folder + "/list.m3u";
  testing::MakeFolders(folder);
  testing::WriteFile(list, "old old old");
  const bool root = geteuid() == 0;
  if (root ? !SetImmutable(folder, true) : chmod(folder.c_str(), 0555) != 0) {
    GTEST_SKIP() << "this file system cannot make a folder refuse new files";
  }
  struct Unlock {
    std::string folder, list;
    ~Unlock() {
      SetImmutable(list, false);
      SetImmutable(folder, false);
      chmod(folder.c_str(), 0755);
      chmod(list.c_str(), 0644);
    }
  } unlock{folder, list};
  PosixFileSystem file_system;
  for (const std::string content : {"new, and longer than before", "short"}) {
    file_system.ReplaceTextFile(list, content);
    EXPECT_EQ(testing::ReadFile(list), content);
  }
  EXPECT_EQ(file_system.ListFolder(folder).files, (Names{"list.m3u"}));
  ASSERT_TRUE(root ? SetImmutable(list, true) : chmod(list.c_str(), 0444) == 0);
  try {
    file_system.ReplaceTextFile(list, "lost");
    ADD_FAILURE() << "a playlist that refuses writing was written";
  } catch (const RunError& error) {
    EXPECT_NE(error.description().find("its folder \"" + folder + "\" takes no new file"),
              std::string::npos)
        << error.description();
  }
  EXPECT_EQ(testing::ReadFile(list), "short");
}

// A folder the file system held open, removed and made again by someone
// else, is the new one on the next call.
TEST(PosixFileSystemTest, AFolderRemovedAndMadeAgainIsSeenAnew) {
  testing::TempFolder temp;
  testing::MakeFolders(temp / "a/b");
  PosixFileSystem file_system;
  EXPECT_FALSE(file_system.PathExists(temp / "a/b/song.mp3"));
  file_system.RemoveEmptyFolder(temp / "a/b");
  testing::WriteFile(temp / "a/b/song.mp3", "x");
  EXPECT_TRUE(file_system.PathExists(temp / "a/b/song.mp3"));
}

TEST(PosixFileSystemTest, MountPointsAreTheRootsOfMountedFileSystems) {
  testing::TempFolder temp;
  testing::MakeFolders(temp / "folder");
  PosixFileSystem file_system;
  EXPECT_TRUE(file_system.IsMountPoint("/proc"));
  EXPECT_TRUE(file_system.IsMountPoint("/"));
  EXPECT_FALSE(file_system.IsMountPoint(temp / "folder"));
  EXPECT_FALSE(file_system.IsMountPoint(temp / "missing"));
}

TEST(PosixFileSystemTest, AReplacedPlaylistKeepsItsOwnerGroupAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  testing::TempFolder temp;
  const std::string list = temp / "list.m3u";
  testing::WriteFile(list, "old");
  ASSERT_EQ(chown(list.c_str(), 4321, 4322), 0);
  ASSERT_EQ(chmod(list.c_str(), 0640), 0);
  PosixFileSystem().ReplaceTextFile(list, "new");
  struct stat info {};
  ASSERT_EQ(stat(list.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 4321u);
  EXPECT_EQ(info.st_gid, 4322u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// What a replacement cut short by a kill leaves: its temporary. Only names of
// exactly that shape, for that playlist, are ever removed.
TEST(PosixFileSystemTest, RemovesOnlyTheLeftoversOfTheNamedPlaylist) {
  testing::TempFolder temp;
  const Names kept = {".list.m3u.quillfold-AbC12", ".list.m3u.quillfold-AbC1234",
                      ".other.m3u.quillfold-AbC123", "list.m3u", "list.m3u.quillfold-AbC123"};
  for (const std::string& name : kept) testing::WriteFile(temp / name, "x");
  testing::WriteFile(temp / ".list.m3u.quillfold-AbC123", "half");
  PosixFileSystem file_system;
  file_system.RemoveLeftoverReplacements(temp / "list.m3u");
  EXPECT_EQ(file_system.ListFolder(temp.path()).files, kept);
}

INSTANTIATE_TEST_SUITE_P(Posix, FileSystemContractTest,
                         ::testing::Values(SandboxFactory(testing::MakePosixSandbox)),
                         [](const auto&) { return "Real"; });

INSTANTIATE_TEST_SUITE_P(
    Memory, FileSystemContractTest,
    ::testing::Values(SandboxFactory([] { return testing::MakeMemorySandbox('/'); }),
                      SandboxFactory([] { return testing::MakeMemorySandbox('\\'); })),
    [](const auto& param) { return param.index == 0 ? "Slash" : "Backslash"; });

}  // namespace
}  // namespace quillfold
