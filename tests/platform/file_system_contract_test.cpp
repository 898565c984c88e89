// The contract every FileSystem keeps: the real one and its wrappers run these.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <tuple>
#include <vector>

#include "errors/run_error.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/kill_points.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using Names = std::vector<std::string>;
// The file system under test: `wrap` makes it, given the real one it works
// on; null for the real one itself.
struct Subject {
  const char* name;
  std::unique_ptr<FileSystem> (*wrap)(FileSystem& real);
};

void PrintTo(const Subject& subject, std::ostream* os) { *os << subject.name; }

// A private temporary tree, reached through the file system under test.
class FileSystemContractTest : public ::testing::TestWithParam<Subject> {
 protected:
  FileSystem& fs() { return wrapped_ ? *wrapped_ : real_; }
  std::string Path(std::string_view relative) const { return temp_ / relative; }
  void AddFile(std::string_view relative, std::string_view content) {
    testing::WriteFile(Path(relative), content);
  }
  void AddFolder(std::string_view relative) { testing::MakeFolders(Path(relative)); }
  void AddLink(std::string_view relative, const std::string& target) {
    testing::MakeLink(Path(relative), target);
  }

  testing::TempFolder temp_;
  PosixFileSystem real_;
  std::unique_ptr<FileSystem> wrapped_ = GetParam().wrap(real_);
};

TEST_P(FileSystemContractTest, ListsFilesAndFoldersSortedWithHiddenOnesAndLinksOnlyCounted) {
  // root/ b.mp3 A.mp3 .hidden.mp3 a.MP3 Sub/ sub2/ .dot/ extra.mp3/ link.mp3 -> b.mp3
  AddFile("b.mp3", "b");
  AddFile("A.mp3", "a");
  AddFile(".hidden.mp3", "h");
  AddFile("a.MP3", "x");
  AddFolder("Sub");
  AddFolder("sub2");
  AddFolder(".dot");
  AddFolder("extra.mp3");
  AddLink("link.mp3", "b.mp3");
  const FolderListing listing = fs().ListFolder(temp_.path());
  EXPECT_EQ(listing.files, (Names{".hidden.mp3", "A.mp3", "a.MP3", "b.mp3"}));
  EXPECT_EQ(listing.folders, (Names{".dot", "extra.mp3", "Sub", "sub2"}));
  EXPECT_EQ(listing.links, (Names{"link.mp3"}));
  EXPECT_FALSE(listing.empty());
}

TEST_P(FileSystemContractTest, ListingAMissingFolderOrAFileThrows) {
  AddFile("file", "x");
  EXPECT_THROW(fs().ListFolder(Path("missing")), RunError);
  EXPECT_THROW(fs().ListFolder(Path("file")), RunError);
}

TEST_P(FileSystemContractTest, AFolderHoldingOnlyALinkIsNotEmpty) {
  AddFolder("empty");
  AddLink("linked/loop", "..");
  EXPECT_TRUE(fs().ListFolder(Path("empty")).empty());
  const FolderListing linked = fs().ListFolder(Path("linked"));
  EXPECT_FALSE(linked.empty());
  EXPECT_TRUE(linked.folders.empty()) << "a link to a folder is never searched";
}

TEST_P(FileSystemContractTest, PathExistsSeesAnythingIncludingDanglingLinks) {
  AddFile(".hidden", "x");
  AddFolder("folder");
  AddLink("dangling", "nowhere");
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  for (const char* name : {".hidden", "folder", "dangling", "pipe"}) {
    EXPECT_TRUE(fs().PathExists(Path(name))) << name;
  }
  for (const std::string& path :
       {Path("nowhere"), Path(".hidden/below"), Path(std::string(5000, 'x'))}) {
    EXPECT_FALSE(fs().PathExists(path)) << path.substr(0, 80);
  }
}

TEST_P(FileSystemContractTest, IsSymbolicLinkSeesOnlyTheLinkItself) {
  AddFolder("folder");
  AddFile("file", "x");
  AddLink("to-folder", "folder");
  AddLink("dangling", "nowhere");
  AddLink("through/inner", "../folder");
  EXPECT_TRUE(fs().IsSymbolicLink(Path("to-folder")));
  EXPECT_TRUE(fs().IsSymbolicLink(Path("dangling")));
  EXPECT_TRUE(fs().IsSymbolicLink(Path("through/inner")));
  for (const char* name : {"folder", "file", "missing", "to-folder/missing"}) {
    EXPECT_FALSE(fs().IsSymbolicLink(Path(name))) << name;
  }
}

TEST_P(FileSystemContractTest, PathsThroughALinkReachItsTarget) {
  // root/ real/song.mp3  alias -> real
  AddFile("real/song.mp3", "tune");
  AddLink("alias", "real");
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
  AddFile("real/list.m3u", "x");
  AddLink("alias", "real");
  AddLink("alias/again.m3u", "../alias/list.m3u");
  AddLink("dangling.m3u", "missing");
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
  AddFile("song.mp3", "0123456789");
  AddFile(".hidden.mp3", "0123456789");
  AddFolder("folder.mp3");
  AddLink("link.mp3", "song.mp3");
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
  EXPECT_EQ(fs().CreateFolderChain(Path("a/b/")), 0) << "an existing chain is fine";
  AddFile("blocker", "x");
  EXPECT_EQ(fs().CreateFolderChain(Path("blocker/c") + sep), ENOTDIR) << "a file in the way";
}

TEST_P(FileSystemContractTest, RenameMovesAndNeverReplaces) {
  AddFile("from.mp3", "moving");
  AddFile("taken.mp3", "keep me");
  AddFolder("dest");
  AddFolder("folder.mp3");
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("taken.mp3")), RenameOutcome::kTargetTaken);
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("folder.mp3")),
            RenameOutcome::kTargetTaken);
  EXPECT_EQ(fs().ReadTextFile(Path("taken.mp3")), "keep me");
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("dest/to.mp3")), RenameOutcome::kRenamed);
  EXPECT_FALSE(fs().PathExists(Path("from.mp3")));
  EXPECT_EQ(fs().ReadTextFile(Path("dest/to.mp3")), "moving");
}

TEST_P(FileSystemContractTest, RenameFailuresThrow) {
  AddFile("file.mp3", "x");
  EXPECT_THROW(fs().RenameNoReplace(Path("missing.mp3"), Path("to.mp3")), RunError);
  EXPECT_THROW(fs().RenameNoReplace(Path("file.mp3"), Path("no/such/folder.mp3")), RunError);
  EXPECT_TRUE(fs().PathExists(Path("file.mp3")));
}

TEST_P(FileSystemContractTest, RemoveEmptyFolderRemovesOnlyEmptyFolders) {
  AddFolder("empty");
  AddFile("full/x", "x");
  AddFile("file", "x");
  fs().RemoveEmptyFolder(Path("empty"));
  EXPECT_FALSE(fs().PathExists(Path("empty")));
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("full")), RunError);
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("file")), RunError);
  EXPECT_THROW(fs().RemoveEmptyFolder(Path("missing")), RunError);
  EXPECT_TRUE(fs().PathExists(Path("full/x")));
}

TEST_P(FileSystemContractTest, TextFilesRoundTripByteForByte) {
  const std::string content("a\r\nb\rc\nd\0\xFF", 10);
  AddFile("list.m3u", "old");
  fs().ReplaceTextFile(Path("list.m3u"), content);
  EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), content);
  fs().ReplaceTextFile(Path("list.m3u"), "");
  EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), "");
  EXPECT_THROW(fs().ReadTextFile(Path("missing.m3u")), RunError);
  EXPECT_EQ(fs().ListFolder(temp_.path()).files, (Names{"list.m3u"})) << "no temporary left";
}

// Content handed over in pieces that fall short of, or run past, its size
// is a failed write: the old file stays whole and no temporary is left.
TEST_P(FileSystemContractTest, ContentInPiecesOtherThanItsSizeLeavesTheOldFile) {
  AddFile("list.m3u", "old");
  for (const std::size_t size : {5, 7}) {
    const ContentPieces content{
        size, [](const PieceWriter& write) { return write("new") && write("est"); }};
    EXPECT_THROW(fs().ReplaceTextFileInPieces(Path("list.m3u"), content), RunError) << size;
  }
  EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), "old");
  EXPECT_EQ(fs().ListFolder(temp_.path()).files, (Names{"list.m3u"})) << "no temporary left";
}

TEST_P(FileSystemContractTest, AHeldFolderKeepsOutRunsOnItselfAndInsideAndAbove) {
  AddFolder("music/rock/old");
  AddFolder("music/jazz");
  AddFolder("books");
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
  {
    const auto jazz = fs().HoldForRun(Path("music/jazz"));
    const auto books = fs().HoldForRun(Path("books"));
    EXPECT_NE(jazz, nullptr) << "each hold is given up when it goes";
    EXPECT_NE(books, nullptr) << "holds below one common folder stand side by side";
  }
  testing::MakeLink(Path("rock"), Path("music/rock"));
  const auto linked = fs().HoldForRun(Path("rock"));
  ASSERT_NE(linked, nullptr);
  EXPECT_EQ(fs().HoldForRun(Path("music")), nullptr) << "a base held through a link is held "
                                                        "where it really is";
}

// A folder that takes no new file while its playlist may still be written:
// the playlist is rewritten in place. When the playlist refuses too, the
// error names its folder, and the playlist keeps its old bytes.
TEST(PosixFileSystemTest, AFolderThatTakesNoNewFileGetsItsPlaylistRewrittenInPlace) {
  testing::TempFolder temp;
  const std::string folder = temp / "locked";
  const std::string list = folder + "/list.m3u";
  testing::MakeFolders(folder);
  testing::WriteFile(list, "old old old");
  if (!testing::RefuseChanges(folder)) {
    GTEST_SKIP() << "this file system cannot make a folder refuse new files";
  }
  struct Unlock {
    std::string folder, list;
    ~Unlock() {
      testing::AllowChanges(list);
      testing::AllowChanges(folder);
    }
  } unlock{folder, list};
  PosixFileSystem file_system;
  for (const std::string content : {"new, and longer than before", "short"}) {
    file_system.ReplaceTextFile(list, content);
    EXPECT_EQ(testing::ReadFile(list), content);
  }
  EXPECT_EQ(file_system.ListFolder(folder).files, (Names{"list.m3u"}));
  {
    // A volume too full for the new content: refused before a byte is
    // overwritten.
    testing::FileSizeLimit full(100);
    EXPECT_THROW(file_system.ReplaceTextFile(list, std::string(1000, 'x')), RunError);
  }
  EXPECT_EQ(testing::ReadFile(list), "short");
  ASSERT_TRUE(testing::RefuseChanges(list));
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

// In a folder everyone may write, a playlist another user may only read is
// not replaced beside itself (it would become theirs): the write fails.
TEST(PosixFileSystemTest, APlaylistTheUserMayNotWriteKeepsItsOwnerAndBytes) {
  if (geteuid() != 0) GTEST_SKIP() << "needs the superuser to act as another user";
  testing::TempFolder temp;
  const std::string list = temp / "shared/list.m3u";
  testing::WriteFile(list, "Bob's");
  chmod(temp.path().c_str(), 0755);
  chmod((temp / "shared").c_str(), 0777);
  chmod(list.c_str(), 0644);
  const bool written = !testing::KilledInChild([&] {
    if (setresuid(65534, 65534, 65534) != 0) return;
    PosixFileSystem file_system;
    try {
      file_system.ReplaceTextFile(list, "Ann's");
    } catch (const RunError&) {
      _exit(testing::KillPoints::kKilled);
    }
  });
  struct stat info {};
  ASSERT_EQ(stat(list.c_str(), &info), 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(std::tuple(info.st_uid, info.st_mode & 0777, testing::ReadFile(list)),
            std::tuple(0u, 0644u, std::string("Bob's")));
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

// The read-ahead keeps the contract of the file system it reads ahead on.
INSTANTIATE_TEST_SUITE_P(
    Each, FileSystemContractTest,
    ::testing::Values(Subject{"Real", [](FileSystem&) { return std::unique_ptr<FileSystem>(); }},
                      Subject{"ReadAhead",
                              [](FileSystem& real) -> std::unique_ptr<FileSystem> {
                                return std::make_unique<ReadAheadFileSystem>(
                                    real, 4, std::chrono::nanoseconds(0));
                              }}),
    [](const auto& subject) { return std::string(subject.param.name); });

}  // namespace
}  // namespace quillfold
