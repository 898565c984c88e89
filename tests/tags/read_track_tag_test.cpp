#include "tags/read_track_tag.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <functional>

#include "platform/posix_file_system.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::TempFolder;
using testing::WriteFile;

// A 128-byte trailer with every field filled (genre byte 255); `At` overwrites.
struct Trailer {
  std::string bytes = std::string(kTrailerSize, '\0');

  Trailer() {
    At(0, "TAG").At(3, "Opening Song").At(33, "Some Band").At(63, "First Album").At(93, "1999");
    At(97, "a comment").At(127, "\xFF");
  }
  Trailer& At(std::size_t offset, std::string_view text) {
    bytes.replace(offset, text.size(), text);
    return *this;
  }
};

// Reads a file holding `bytes` into `tag`.
bool ReadBytes(const std::string& bytes, TrackTag& tag) {
  TempFolder temp;
  WriteFile(temp / "t.mp3", bytes);
  FileRead read;
  return ReadTrackTag(RealFileSystem(), temp / "t.mp3", tag, read);
}

// What the reader gives for the default trailer with these fields: texts
// padded with spaces, the genre byte 255 as 255 (not a negative char).
TrackTag Decoded(std::string title, std::string artist, std::string comment, std::int16_t track,
                 std::string version) {
  const auto pad = [](std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
  };
  return {"TAG", pad(title, 30), pad(artist, 30), pad("First Album", 30), "1999", pad(comment, 30),
          255,   track,          pad(version, 10)};
}

// The layout is decided on the raw comment bytes, and every NUL turns into a
// space without cutting the text. All but the first file are the bare
// 128-byte trailer: exactly one trailer is enough.
TEST(ReadTrackTagTest, DecodesEveryFieldOnTheRawBytes) {
  const std::string comment = std::string(27, 'x') + "y";
  const struct {
    const char* name;
    std::string bytes;
    TrackTag expected;
  } cases[] = {
      {"1.0 after audio", std::string(1000, '\xFF') + Trailer().bytes,
       Decoded("Opening Song", "Some Band", "a comment", 0, "ID3v1.0")},
      {"1.1 with track 7", Trailer().At(97, comment).At(126, "\x07").bytes,
       Decoded("Opening Song", "Some Band", comment, 7, "ID3v1.1")},
      {"1.1 with track 255", Trailer().At(97, comment).At(126, "\xFF").bytes,
       Decoded("Opening Song", "Some Band", comment, 255, "ID3v1.1")},
      {"both zero is 1.0", Trailer().At(97, comment).bytes,
       Decoded("Opening Song", "Some Band", comment, 0, "ID3v1.0")},
      {"letter then 7 is 1.0", Trailer().At(97, comment + "L\x07").bytes,
       Decoded("Opening Song", "Some Band", comment + "L\x07", 0, "ID3v1.0")},
      {"NULs inside texts",
       Trailer()
           .At(3, std::string("abc\0def", 7) + std::string(23, '\0'))
           .At(33, std::string("\0\0Band", 6) + std::string(24, '\0'))
           .bytes,
       Decoded("abc def", "  Band", "a comment", 0, "ID3v1.0")},
  };
  for (const auto& c : cases) {
    TrackTag tag;
    ASSERT_TRUE(ReadBytes(c.bytes, tag)) << c.name;
    EXPECT_EQ(tag, c.expected) << c.name;
  }
}

// Everything that is not an ordinary file ending in an upper-case "TAG"
// trailer gives false and leaves the caller's record as it was. A FIFO
// must not block the open.
TEST(ReadTrackTagTest, NoTagLeavesTheRecordUntouched) {
  const std::string trailer = Trailer().bytes;
  const auto holding = [](std::string bytes) {
    return [bytes](const std::string& path) { WriteFile(path, bytes); };
  };
  const struct {
    const char* name;
    const char* file;
    std::function<void(const std::string& path)> make;
  } cases[] = {
      {"127 bytes", "t.mp3", holding(trailer.substr(1))},
      {"empty", "t.mp3", holding("")},
      {"lower-case marker", "t.mp3", holding(Trailer().At(0, "tag").bytes)},
      {"mixed-case marker", "t.mp3", holding(Trailer().At(0, "TAg").bytes)},
      {"hidden", ".t.mp3", holding(trailer)},
      {"folder", "t.mp3", [](const std::string& path) { testing::MakeFolders(path); }},
      {"FIFO", "t.mp3", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"link", "t.mp3",
       [&](const std::string& path) {
         WriteFile(path + ".target", trailer);
         ASSERT_EQ(symlink((path + ".target").c_str(), path.c_str()), 0);
       }},
      {"removed", "t.mp3",
       [&](const std::string& path) {
         WriteFile(path, trailer);
         ASSERT_EQ(unlink(path.c_str()), 0);
       }},
      {"unreadable", "t.mp3",
       [&](const std::string& path) {
         WriteFile(path, trailer);
         ASSERT_EQ(chmod(path.c_str(), 0), 0);
       }},
  };
  for (const auto& c : cases) {
    if (std::string_view(c.name) == "unreadable" && geteuid() == 0) continue;  // root reads all
    TempFolder temp;
    c.make(temp / c.file);
    TrackTag tag;
    tag.Title = "untouched";
    tag.Track = -5;
    const TrackTag before = tag;
    FileRead read{-1};
    EXPECT_FALSE(ReadTrackTag(RealFileSystem(), temp / c.file, tag, read)) << c.name;
    EXPECT_EQ(tag, before) << c.name;
    // Only a file that is there to read, and cannot be, is a read failure.
    const std::string_view name = c.name;
    EXPECT_EQ(read.error, name == "unreadable" ? EACCES : name == "removed" ? ENOENT : 0) << c.name;
    // An ordinary file opened, tag or none, says which file it was.
    struct stat info {};
    const bool ordinary = lstat((temp / c.file).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                          name != "hidden" && name != "unreadable";
    EXPECT_EQ(read.identity.has_value(), ordinary) << c.name;
    EXPECT_EQ(read.identity.value_or(FileIdentity{}).inode, ordinary ? info.st_ino : 0) << c.name;
  }
}

}  // namespace
}  // namespace quillfold
