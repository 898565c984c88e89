// The contract every FileSystem keeps: the real one and its wrappers run these.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <functional>
#include <tuple>
#include <vector>

#include "errors/run_error.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/kill_points.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"
#include "text/scope_exit.h"

namespace quillfold {
namespace {

using Names = std::vector<std::string>;
using testing::TreeSnapshot;
// The file system under test: `wrap` makes it, given the real one it works
// on; null for the real one itself.
struct Subject {
  const char* name;
  std::unique_ptr<FileSystem> (*wrap)(FileSystem& real);
};

void PrintTo(const Subject& subject, std::ostream* os) { *os << subject.name; }

auto Fields(const FolderListing& listing) {
  return std::tie(listing.files, listing.folders, listing.links);
}

// A private temporary tree, reached through the file system under test.
class FileSystemContractTest : public ::testing::TestWithParam<Subject> {
 protected:
  FileSystem& fs() { return wrapped_ ? *wrapped_ : real_; }
  std::string Path(std::string_view relative) const { return temp_ / relative; }
  // Draws a tree: "name/" is a folder, "name -> target" a link, "name=text"
  // a file holding text and a bare name a file holding "x".
  void Draw(std::initializer_list<std::string_view> entries) {
    for (const std::string_view entry : entries) {
      const std::size_t arrow = entry.find(" -> ");
      const std::size_t equals = entry.find('=');
      if (arrow != entry.npos) {
        testing::MakeLink(Path(entry.substr(0, arrow)), std::string(entry.substr(arrow + 4)));
      } else if (entry.ends_with('/')) {
        testing::MakeFolders(Path(entry));
      } else {
        testing::WriteFile(Path(entry.substr(0, equals)),
                           equals == entry.npos ? "x" : entry.substr(equals + 1));
      }
    }
  }
  TreeSnapshot Tree() const { return testing::TakeSnapshot(temp_.path()); }

  testing::TempFolder temp_;
  PosixFileSystem real_;
  std::unique_ptr<FileSystem> wrapped_ = GetParam().wrap(real_);
};

TEST_P(FileSystemContractTest, ListsSortedWithHiddenEntriesAndLinksOnlyCounted) {
  Draw({"b.mp3", "A.mp3", ".hidden.mp3", "a.MP3", "_x", "Z", "[", "\xC3\xA9", "Sub/", "sub2/",
        ".dot/", "extra.mp3/", "link.mp3 -> b.mp3", "empty/", "linked/loop -> .."});
  // Letters compare upper-cased, so '[' and '_' come after 'Z'; equal names
  // by raw bytes; bytes above 0x7F last.
  const struct {
    std::string_view folder;
    FolderListing expected;
  } cases[] = {{"",
                {{".hidden.mp3", "A.mp3", "a.MP3", "b.mp3", "Z", "[", "_x", "\xC3\xA9"},
                 {".dot", "empty", "extra.mp3", "linked", "Sub", "sub2"},
                 {"link.mp3"}}},
               {"empty", {}},
               // A link to a folder is never searched, but its folder is not empty.
               {"linked", {{}, {}, {"loop"}}}};
  for (const auto& c : cases) {
    const FolderListing listing = fs().ListFolder(Path(c.folder));
    EXPECT_EQ(Fields(listing), Fields(c.expected)) << c.folder;
    EXPECT_EQ(listing.empty(), c.folder == "empty") << c.folder;
  }
}

TEST_P(FileSystemContractTest, PathExistsSeesAnythingAndIsSymbolicLinkOnlyTheLinkItself) {
  Draw({".hidden", "folder/", "file", "to-folder -> folder", "dangling -> nowhere",
        "through/inner -> ../folder"});
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  const struct {
    std::string name;
    bool exists;
    bool is_link;
  } cases[] = {{".hidden", true, false},
               {"folder", true, false},
               {"file", true, false},
               {"pipe", true, false},
               {"to-folder", true, true},
               {"dangling", true, true},
               {"through/inner", true, true},
               {"nowhere", false, false},
               {".hidden/below", false, false},
               {"to-folder/missing", false, false},
               {std::string(5000, 'x'), false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(std::pair(fs().PathExists(Path(c.name)), fs().IsSymbolicLink(Path(c.name))),
              std::pair(c.exists, c.is_link))
        << c.name.substr(0, 80);
  }
}

// Every call but a listing goes through links on the way to its path.
TEST_P(FileSystemContractTest, PathsThroughALinkReachItsTarget) {
  Draw({"real/song.mp3=tune", "alias -> real", "alias/again.m3u -> ../alias/song.mp3",
        "dangling.m3u -> missing"});
  const struct {
    std::string_view path;
    std::string_view resolved;  // empty: leads nowhere
    bool is_folder;
  } cases[] = {{"alias/again.m3u", "real/song.mp3", false},
               {"alias", "real", true},
               {"real/../alias/song.mp3", "real/song.mp3", false},
               {"dangling.m3u", "", false}};
  for (const auto& c : cases) {
    const std::optional<ResolvedPath> resolved = fs().FollowLinks(Path(c.path));
    EXPECT_EQ(resolved ? std::pair(resolved->path, resolved->is_folder) : std::pair("", false),
              std::pair(c.resolved.empty() ? "" : Path(c.resolved), c.is_folder))
        << c.path;
  }
  EXPECT_TRUE(fs().PathExists(Path("alias/song.mp3")));
  EXPECT_EQ(fs().ReadTextFile(Path("alias/song.mp3")), "tune");
  EXPECT_EQ(fs().CreateFolderChain(Path("alias/new/")), 0);
  EXPECT_EQ(fs().RenameNoReplace(Path("real/song.mp3"), Path("alias/new/song.mp3")),
            RenameOutcome::kRenamed);
  EXPECT_EQ(
      Tree(),
      (TreeSnapshot{
          {{"real/new/song.mp3", "tune"}},
          {{"alias", "real"}, {"real/again.m3u", "../alias/song.mp3"}, {"dangling.m3u", "missing"}},
          {"real", "real/new"}}));
}

TEST_P(FileSystemContractTest, TailIsReadFromOrdinaryFilesOnly) {
  Draw({"song.mp3=0123456789", ".hidden.mp3=0123456789", "folder.mp3/", "link.mp3 -> song.mp3"});
  // Nothing to read is no failure; a file gone since it was listed is one.
  const struct {
    const char* name;
    std::size_t size;
    TailRead expected;
    std::string_view tail;  // when read
  } cases[] = {{"song.mp3", 4, {true, 0}, "6789"}, {"song.mp3", 11, {false, 0}, ""},
               {".hidden.mp3", 4, {false, 0}, ""}, {"folder.mp3", 4, {false, 0}, ""},
               {"link.mp3", 4, {false, 0}, ""},    {"missing.mp3", 4, {false, ENOENT}, ""}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> tail(c.size);
    const TailRead result = fs().ReadOrdinaryFileTail(Path(c.name), tail);
    const std::string read_tail = result.read ? std::string(tail.begin(), tail.end()) : "";
    EXPECT_EQ(std::tuple(result.read, result.error, read_tail),
              std::tuple(c.expected.read, c.expected.error, c.tail))
        << c.name << " " << c.size;
  }
}

// A tag's follow-up read reads the file its first read opened, though
// another file took the name in between; a first read, and any read after
// a run's end, opens the file at the name.
TEST_P(FileSystemContractTest, AFollowUpReadReadsTheFileTheFirstReadOpened) {
  Draw({"song.mp3=first file", "second.mp3=second one", "third.mp3=third one"});
  std::array<std::uint8_t, 4> head{};
  const auto read = [&](std::uint64_t offset) {
    const PartsRead parts = fs().ReadOrdinaryFileParts(Path("song.mp3"), offset, head, {});
    return std::string(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(parts.head_bytes));
  };
  EXPECT_EQ(read(0), "firs");
  std::filesystem::rename(Path("second.mp3"), Path("song.mp3"));
  EXPECT_EQ(read(6), "file") << "a follow-up";
  EXPECT_EQ(read(0), "seco") << "a first read";
  std::filesystem::rename(Path("third.mp3"), Path("song.mp3"));
  fs().ForgetHeldFolders();
  EXPECT_EQ(read(6), "one") << "after a run's end";
}

// Folder chains stop at the last separator; a move never replaces anything
// in its way; only an empty folder is removed.
TEST_P(FileSystemContractTest, ChangesDoExactlyWhatTheySay) {
  Draw({"from.mp3=moving", "taken.mp3=keep me", "dest/", "folder.mp3/", "empty/", "blocker"});
  EXPECT_EQ(fs().CreateFolderChain(Path("a/b/") + "file"), 0);
  EXPECT_EQ(fs().CreateFolderChain(Path("a/b/")), 0) << "an existing chain is fine";
  EXPECT_EQ(fs().CreateFolderChain(Path("blocker/c") + fs().separator()), ENOTDIR);
  for (const char* taken : {"taken.mp3", "folder.mp3"}) {
    EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path(taken)), RenameOutcome::kTargetTaken);
  }
  EXPECT_EQ(fs().RenameNoReplace(Path("from.mp3"), Path("dest/to.mp3")), RenameOutcome::kRenamed);
  fs().RemoveEmptyFolder(Path("empty"));
  EXPECT_EQ(Tree(),
            (TreeSnapshot{{{"blocker", "x"}, {"dest/to.mp3", "moving"}, {"taken.mp3", "keep me"}},
                          {},
                          {"a", "a/b", "dest", "folder.mp3"}}));
}

TEST_P(FileSystemContractTest, RefusedCallsThrowAndChangeNothing) {
  Draw({"file.mp3", "full/x", "folder/", "alias -> folder"});
  const TreeSnapshot before = Tree();
  const std::function<void()> refused[] = {
      [&] { fs().ListFolder(Path("missing")); },
      [&] { fs().ListFolder(Path("file.mp3")); },
      [&] { fs().ListFolder(Path("alias")); },  // a listing never follows a link
      [&] { fs().RenameNoReplace(Path("missing.mp3"), Path("to.mp3")); },
      [&] { fs().RenameNoReplace(Path("file.mp3"), Path("no/such/folder.mp3")); },
      [&] { fs().RemoveEmptyFolder(Path("full")); },
      [&] { fs().RemoveEmptyFolder(Path("file.mp3")); },
      [&] { fs().RemoveEmptyFolder(Path("missing")); },
      [&] { fs().ReadTextFile(Path("missing.m3u")); }};
  for (std::size_t i = 0; i < std::size(refused); ++i) {
    EXPECT_THROW(refused[i](), RunError) << "call " << i;
  }
  EXPECT_EQ(Tree(), before);
}

TEST_P(FileSystemContractTest, TextFilesAreReplacedWholeByteForByte) {
  Draw({"list.m3u=old"});
  for (const std::string& content : {std::string("a\r\nb\rc\nd\0\xFF", 10), std::string()}) {
    fs().ReplaceTextFile(Path("list.m3u"), content);
    EXPECT_EQ(fs().ReadTextFile(Path("list.m3u")), content);
    EXPECT_EQ(Tree(), (TreeSnapshot{{{"list.m3u", content}}, {}, {}})) << "no temporary left";
  }
}

// Content handed over in pieces that fall short of, or run past, its size
// is a failed write: the old file stays whole and no temporary is left.
TEST_P(FileSystemContractTest, ContentInPiecesOtherThanItsSizeLeavesTheOldFile) {
  Draw({"list.m3u=old"});
  for (const std::size_t size : {5, 7}) {
    const ContentPieces content{
        size, [](const PieceWriter& write) { return write("new") && write("est"); }};
    EXPECT_THROW(fs().ReplaceTextFileInPieces(Path("list.m3u"), content), RunError) << size;
  }
  EXPECT_EQ(Tree(), (TreeSnapshot{{{"list.m3u", "old"}}, {}, {}})) << "no temporary left";
}

TEST_P(FileSystemContractTest, AHeldFolderKeepsOutRunsOnItselfAndInsideAndAbove) {
  Draw({"music/rock/old/", "music/jazz/", "books/"});
  const struct {
    std::string_view second;
    bool refused;
  } cases[] = {{"music", true}, {"music/rock", true},  {"music/rock/old", true},
               {"", true},      {"music/jazz", false}, {"books", false}};
  for (const auto& c : cases) {
    const auto first = fs().HoldForRun(Path("music/rock"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(fs().HoldForRun(Path(c.second)) == nullptr, c.refused) << c.second;
  }
  {
    const auto jazz = fs().HoldForRun(Path("music/jazz"));
    EXPECT_NE(fs().HoldForRun(Path("books")), nullptr)
        << "holds below one common folder stand side by side, each given up when it goes";
    EXPECT_NE(jazz, nullptr);
  }
  testing::MakeLink(Path("rock"), Path("music/rock"));
  const auto linked = fs().HoldForRun(Path("rock"));
  ASSERT_NE(linked, nullptr);
  EXPECT_EQ(fs().HoldForRun(Path("music")), nullptr) << "held where it really is";
}

// A folder that takes no new file while its playlist may still be written:
// the playlist is rewritten in place. When the playlist refuses too, the
// error names its folder, and the playlist keeps its old bytes.
TEST(PosixFileSystemTest, AFolderThatTakesNoNewFileGetsItsPlaylistRewrittenInPlace) {
  testing::TempFolder temp;
  const std::string folder = temp / "locked";
  const std::string list = folder + "/list.m3u";
  testing::WriteFile(list, "old old old");
  if (!testing::RefuseChanges(folder)) {
    GTEST_SKIP() << "this file system cannot make a folder refuse new files";
  }
  const ScopeExit unlock([&] {
    testing::AllowChanges(list);
    testing::AllowChanges(folder);
  });
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
  EXPECT_THAT([&] { file_system.ReplaceTextFile(list, "lost"); },
              ::testing::ThrowsMessage<RunError>(
                  ::testing::HasSubstr("its folder \"" + folder + "\" takes no new file")));
  EXPECT_EQ(testing::ReadFile(list), "short");
}

// A replaced playlist keeps its owner, group and mode; and in a folder
// everyone may write, a playlist another user may only read is not replaced
// beside itself (it would become theirs): the write fails.
TEST(PosixFileSystemTest, APlaylistKeepsItsOwnerGroupModeAndForeignBytes) {
  if (geteuid() != 0) GTEST_SKIP() << "needs the superuser to act as another user";
  testing::TempFolder temp;
  const std::string owned = temp / "list.m3u";
  const std::string shared = temp / "shared/list.m3u";
  testing::WriteFile(owned, "old");
  testing::WriteFile(shared, "Bob's");
  ASSERT_EQ(chown(owned.c_str(), 4321, 4322) | chmod(owned.c_str(), 0640), 0);
  chmod(temp.path().c_str(), 0755);
  chmod((temp / "shared").c_str(), 0777);
  chmod(shared.c_str(), 0644);
  PosixFileSystem().ReplaceTextFile(owned, "new");
  const bool written = !testing::KilledInChild([&] {
    if (setresuid(65534, 65534, 65534) != 0) return;
    try {
      PosixFileSystem().ReplaceTextFile(shared, "Ann's");
    } catch (const RunError&) {
      _exit(testing::KillPoints::kKilled);
    }
  });
  EXPECT_FALSE(written);
  for (const auto& [path, owner, group, mode, content] :
       {std::tuple(owned, 4321u, 4322u, 0640u, "new"),
        std::tuple(shared, 0u, 0u, 0644u, "Bob's")}) {
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(std::tuple(info.st_uid, info.st_gid, info.st_mode & 07777, testing::ReadFile(path)),
              std::tuple(owner, group, mode, std::string(content)));
  }
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
  for (const auto& [folder, mounted] : {std::pair<std::string, bool>("/proc", true),
                                        {"/", true},
                                        {temp / "folder", false},
                                        {temp / "missing", false}}) {
    EXPECT_EQ(file_system.IsMountPoint(folder), mounted) << folder;
  }
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

// The read-ahead and the fault injector (with no fault armed) keep the
// contract of the file system they wrap.
template <typename Wrapper, typename... Args>
std::unique_ptr<FileSystem> Wrap(FileSystem& real, Args... args) {
  return std::make_unique<Wrapper>(real, args...);
}
INSTANTIATE_TEST_SUITE_P(
    Each, FileSystemContractTest,
    ::testing::Values(
        Subject{"Real", [](FileSystem&) { return std::unique_ptr<FileSystem>(); }},
        Subject{"ReadAhead",
                [](FileSystem& real) {
                  return Wrap<ReadAheadFileSystem>(real, 4, std::chrono::nanoseconds(0));
                }},
        Subject{"Faulty", [](FileSystem& real) { return Wrap<testing::FaultyFileSystem>(real); }}),
    [](const auto& subject) { return std::string(subject.param.name); });

}  // namespace
}  // namespace quillfold
