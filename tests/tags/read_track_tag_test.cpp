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

// A 128-byte trailer with every field filled; `At` and `Byte` overwrite.
struct Trailer {
  std::string bytes = std::string(kTrailerSize, '\0');

  Trailer() {
    At(0, "TAG").At(3, "Opening Song").At(33, "Some Band").At(63, "First Album").At(93, "1999");
    At(97, "a comment").Byte(127, 255);
  }
  Trailer& At(std::size_t offset, std::string_view text) {
    bytes.replace(offset, text.size(), text);
    return *this;
  }
  Trailer& Byte(std::size_t offset, int value) {
    bytes[offset] = static_cast<char>(value);
    return *this;
  }
};

// Reads a file holding `bytes` into `tag`.
bool ReadBytes(const std::string& bytes, TrackTag& tag) {
  TempFolder temp;
  WriteFile(temp / "t.mp3", bytes);
  int read_error = 0;
  return ReadTrackTag(RealFileSystem(), temp / "t.mp3", tag, read_error);
}

// The genre byte 255 comes back as 255, not as a negative char.
TEST(ReadTrackTagTest, DecodesEveryFieldOfAnId3v10Tag) {
  TrackTag tag;
  ASSERT_TRUE(ReadBytes(std::string(1000, '\xFF') + Trailer().bytes, tag));
  EXPECT_EQ(tag.TagId, "TAG");
  EXPECT_EQ(tag.Title, "Opening Song                  ");
  EXPECT_EQ(tag.Artist, "Some Band                     ");
  EXPECT_EQ(tag.Album, "First Album                   ");
  EXPECT_EQ(tag.Year, "1999");
  EXPECT_EQ(tag.Comment, "a comment                     ");
  EXPECT_EQ(tag.Genre, 255);
  EXPECT_EQ(tag.Track, 0);
  EXPECT_EQ(tag.TagVersion, "ID3v1.0   ");
}

// Each file is the bare 128-byte trailer: exactly one trailer is enough.
TEST(ReadTrackTagTest, DecidesTheLayoutOnTheRawCommentBytes) {
  const struct {
    const char* name;
    int byte125;
    int byte126;
    std::int16_t track;
    std::string comment_end;  // the last three comment characters
    const char* version;
  } cases[] = {
      {"1.1 with track 7", 0, 7, 7, "y  ", "ID3v1.1   "},
      {"1.1 with track 255", 0, 255, 255, "y  ", "ID3v1.1   "},
      {"both zero is 1.0", 0, 0, 0, "y  ", "ID3v1.0   "},
      {"letter then 7 is 1.0", 'L', 7, 0, "yL\x07", "ID3v1.0   "},
  };
  for (const auto& c : cases) {
    Trailer t;
    t.At(97, std::string(27, 'x') + "y").Byte(125, c.byte125).Byte(126, c.byte126);
    TrackTag tag;
    ASSERT_TRUE(ReadBytes(t.bytes, tag)) << c.name;
    EXPECT_EQ(tag.Track, c.track) << c.name;
    EXPECT_EQ(tag.Comment.size(), 30u) << c.name;
    EXPECT_EQ(tag.Comment.substr(27), c.comment_end) << c.name;
    EXPECT_EQ(tag.TagVersion, c.version) << c.name;
  }
}

TEST(ReadTrackTagTest, TurnsEveryNulIntoASpaceWithoutCuttingTheText) {
  Trailer t;
  t.At(3, std::string("abc\0def", 7) + std::string(23, '\0'));
  t.At(33, std::string("\0\0Band", 6) + std::string(24, '\0'));
  TrackTag tag;
  ASSERT_TRUE(ReadBytes(t.bytes, tag));
  EXPECT_EQ(tag.Title, "abc def" + std::string(23, ' '));
  EXPECT_EQ(tag.Artist, "  Band" + std::string(24, ' '));
  EXPECT_EQ(tag.Year, "1999");
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
    int read_error = -1;
    EXPECT_FALSE(ReadTrackTag(RealFileSystem(), temp / c.file, tag, read_error)) << c.name;
    EXPECT_EQ(tag, before) << c.name;
    // Only a file that is there to read, and cannot be, is a read failure.
    const std::string_view name = c.name;
    EXPECT_EQ(read_error, name == "unreadable" ? EACCES : name == "removed" ? ENOENT : 0) << c.name;
  }
}

}  // namespace
}  // namespace quillfold
