#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/content_pieces.h"

namespace quillfold {

class UpcomingReads;  // platform/upcoming_reads.h

// What one folder holds, as a search sees it. Names are byte strings, in
// listing order (see listing_order.h). Symbolic links are never listed as
// files or folders but on their own, so a folder holding only a link is not
// empty.
struct FolderListing {
  std::vector<std::string> files;    // every entry that is neither a folder nor a link
  std::vector<std::string> folders;  // real folders, never links to folders
  std::vector<std::string> links;    // symbolic links, whatever they lead to

  bool empty() const { return files.empty() && folders.empty() && links.empty(); }
};

// Where a path leads once every link on the way is followed.
struct ResolvedPath {
  std::string path;  // full, with no link, "." or ".." left in it
  bool is_folder = false;
};

// What tells one file from another while it is renamed (device and inode,
// which a rename keeps), and a folder's owner, group and mode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint32_t mode = 0;  // permission bits, set-id and sticky bits included
  std::uint32_t owner = 0;
  std::uint32_t group = 0;

  bool SameFile(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

struct TailRead {
  bool read = false;
  int error = 0;                           // the errno of a file that could not be read, else 0
  std::optional<FileIdentity> identity{};  // of the ordinary file opened, when it was
};

// What one read of a file's head (and tail) gave.
struct PartsRead {
  bool read = false;                       // an ordinary file was opened and read
  int error = 0;                           // the errno of a file that could not be read, else 0
  std::uint64_t size = 0;                  // the file's length in bytes, when read
  std::size_t head_bytes = 0;              // bytes put at the front of `head`
  bool tail_read = false;                  // `tail` holds the file's last tail.size() bytes
  std::optional<FileIdentity> identity{};  // of the ordinary file opened, when it was
};

enum class RenameOutcome {
  kRenamed,
  kTargetTaken,  // something already exists at the target; nothing was changed
};

// A real run's claim on its base folder, given up when destroyed.
class FolderHold {
 public:
  virtual ~FolderHold() = default;
};

// The only way the organiser touches the disk. Paths are full paths joined
// with separator(). Operations that a run cannot go on without throw RunError
// (errors/run_error.h) with the path in the description; the tests of
// existence and the tail read trap their own failures and return plain values.
//
// Fakes and fault-injecting wrappers implement the same contract and pass the
// same contract tests as the real file system.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The path separator: '/' on Linux, '\\' for a fake that models the
  // classic drive-letter form.
  virtual char separator() const = 0;

  // Lists `folder` (with or without a trailing separator). Hidden entries are
  // included. Throws RunError when the folder does not exist or cannot be read.
  virtual FolderListing ListFolder(const std::string& folder) = 0;

  // True when anything at all exists at `path`: a file, a folder, a hidden
  // entry, a dangling symbolic link. Any failure of the test gives false.
  // Never follows the last component when it is a link.
  virtual bool PathExists(const std::string& path) = 0;

  // True when `path` itself is a symbolic link (never follows it). Any
  // failure of the test gives false.
  virtual bool IsSymbolicLink(const std::string& path) = 0;

  // Where `path` leads, every link followed; nothing when it leads nowhere
  // or the test fails.
  virtual std::optional<ResolvedPath> FollowLinks(const std::string& path) = 0;

  // Fills `tail` with the last tail.size() bytes of `path` and says it was
  // read when `path` is an ordinary file (a regular file whose name does not
  // begin with ".") at least that long. Otherwise `tail` is unspecified, and
  // `error` tells an ordinary file that could not be opened or read (no
  // permission, an I/O error) from one with nothing to read. One open, one
  // read, one close; never blocks on a FIFO and never reads anything but the
  // tail; never throws.
  virtual TailRead ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) = 0;

  // Under the same rules as ReadOrdinaryFileTail, with one open, one close
  // and no more than two reads: fills the front of `head` with the bytes
  // from `offset` on, as many as the file holds up to head.size()
  // (head_bytes says how many; 0 when `offset` is at or past the end), and,
  // when `tail` is not empty and the file is at least tail.size() long,
  // `tail` with its last bytes (tail_read). `read` is false, with `error` as
  // for the tail, when `path` is no ordinary file or cannot be read; never
  // throws, never reads anything but the two spans.
  // A read from an `offset` past 0 that straight follows a read of the same
  // `path` on the same thread reads the file that read opened, without
  // opening it again (a follow-up of one tag's reads).
  virtual PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                          std::span<std::uint8_t> head,
                                          std::span<std::uint8_t> tail) = 0;

  // True when `folder` is where another file system is mounted (an empty USB
  // stick under the base): never removed, never entered when looking for
  // empty folders. Any failure of the test gives false.
  virtual bool IsMountPoint(const std::string& folder) = 0;

  // Creates every missing folder along `folder_path` up to its last
  // separator (whatever follows the last separator is not created). Returns 0
  // when the whole chain exists afterwards, else why not, as an errno value
  // (EROFS, EACCES, ENAMETOOLONG, ENOTDIR for a file in the way...); never
  // throws.
  virtual int CreateFolderChain(const std::string& folder_path) = 0;

  // Moves the file `from` to `to` without ever replacing anything at `to`.
  // Returns kTargetTaken when something is already there, even if it appeared
  // a moment ago. Throws RunError for every other failure, including a move
  // to another file system, which is refused rather than turned into a copy.
  // On the real file system, where the kernel cannot refuse a taken name
  // itself (FAT, many FUSE file systems), the test of the name and the rename
  // follow each other at once: see NoReplaceRenamer for each way's guarantee.
  virtual RenameOutcome RenameNoReplace(const std::string& from, const std::string& to) = 0;

  // Removes the empty folder `folder`. Throws RunError when it cannot (not
  // empty, missing, no permission). Never removes a link or a file.
  virtual void RemoveEmptyFolder(const std::string& folder) = 0;

  // The whole content of the file at `path`, byte for byte. Throws RunError
  // when it cannot be opened or read. `between_pieces`, when given, is called
  // between bounded pieces of the reading of a large file.
  virtual std::string ReadTextFileInPieces(const std::string& path,
                                           const std::function<void()>& between_pieces) = 0;
  std::string ReadTextFile(const std::string& path) { return ReadTextFileInPieces(path, {}); }

  // Replaces the file at `path` with `content` atomically: the new content is
  // written completely beside it, flushed, and renamed over it, keeping the
  // old file's mode and, where the OS allows, its owner and group. On any
  // failure the old file stays whole and RunError is thrown. On the real file
  // system, where the folder refuses the temporary or the rename but the file
  // itself may be written, the file is rewritten in place and flushed
  // instead: whole once it returns, but not atomic, and never shorter than
  // the old file until all of the new content is in it. `content` is written
  // piece by piece as it hands the pieces over; content that hands over
  // other than its `size` bytes is a failure like any other.
  virtual void ReplaceTextFileInPieces(const std::string& path, const ContentPieces& content) = 0;
  // As ReplaceTextFileInPieces, for content held whole.
  void ReplaceTextFile(const std::string& path, const std::string& content) {
    ReplaceTextFileInPieces(path, WholeContent(content));
  }

  // Removes the temporaries that a ReplaceTextFile of `path` cut short (by a
  // kill or a crash) left beside it, recognisable by their name; never any
  // other file. They hold only content that was never put in place, so one
  // that cannot be removed is left as it is.
  virtual void RemoveLeftoverReplacements(const std::string& path) = 0;

  // The identity of whatever is at `path` (a link itself, never followed);
  // nothing when nothing is there or the test fails. Never throws.
  virtual std::optional<FileIdentity> IdentityOf(const std::string& path) = 0;

  // The same, looked up by the whole path from the root, never through a
  // folder held open: a held folder follows a rename of itself or of a
  // folder above it, and this tells whether it is still where its path says.
  virtual std::optional<FileIdentity> IdentityByWholePath(const std::string& path) = 0;

  // Where the folder that calls on `folder` now reach is, as the OS names
  // it (links resolved): a folder held open follows a rename of itself or
  // of a folder above it, so this tells without asking the medium whether
  // it was moved. Nothing when the OS cannot say. Never throws.
  virtual std::optional<std::string> HeldFolderPath(const std::string& folder) = 0;

  // Removes the name `extra` when it and `kept` are two names of one file
  // (a move by link and unlink cut short between the two); any other file
  // at `extra` stays. True when `extra` was such a second name and is gone.
  // Never throws.
  virtual bool RemoveSecondName(const std::string& extra, const std::string& kept) = 0;

  // Gives the folder `folder` the owner, group and mode of `identity`, as far
  // as the OS lets this user. Never throws: a folder left with other owners
  // is still there and whole.
  virtual void SetOwnerAndMode(const std::string& folder, const FileIdentity& identity) = 0;

  // Lets go of whatever it holds open of folders, and of the files kept
  // open for follow-up reads. Called as every run begins and ends: folders
  // may be renamed between runs, and a USB stick must be free to unmount
  // once a run is over.
  virtual void ForgetHeldFolders() = 0;

  // Claims `folder` for one real run, until the hold is destroyed. Null when
  // a run that holds the same folder, one inside it or one above it is under
  // way, in this process or any other; two holds on unrelated folders never
  // stand in each other's way. Never throws.
  virtual std::unique_ptr<FolderHold> HoldForRun(const std::string& folder) = 0;

  // The reader ahead behind this file system, to be told which tails a run
  // will ask for next; null where tails are read only when asked for. A
  // wrapper forwards it, so wrapping never switches reading ahead off.
  virtual UpcomingReads* upcoming_reads() { return nullptr; }
};

}  // namespace quillfold
