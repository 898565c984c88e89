#include "tags/read_track_tag.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix_file_system.h"
#include "tests/support/temp_folder.h"

namespace quillfold {
namespace {

using testing::TempFolder;
using testing::WriteFile;

// A 128-byte trailer: fields are copied in, everything else is NUL.
struct Trailer {
  std::string bytes = std::string(kTrailerSize, '\0');

  Trailer& At(std::size_t offset, std::string_view text) {
    bytes.replace(offset, text.size(), text);
    return *this;
  }
  Trailer& Byte(std::size_t offset, int value) {
    bytes[offset] = static_cast<char>(value);
    return *this;
  }
};

Trailer TaggedTrailer() {
  Trailer t;
  t.At(0, "TAG").At(3, "Opening Song").At(33, "Some Band").At(63, "First Album").At(93, "1999");
  t.At(97, "a comment").Byte(127, 17);
  return t;
}

TrackTag Sentinel() {
  TrackTag tag;
  tag.Title = "untouched";
  tag.Track = -5;
  return tag;
}

bool Read(const std::string& path, TrackTag& tag) {
  return ReadTrackTag(RealFileSystem(), path, tag);
}

TEST(ReadTrackTagTest, DecodesEveryFieldOfAnId3v10Tag) {
  TempFolder temp;
  WriteFile(temp / "song.mp3", std::string(1000, '\xFF') + TaggedTrailer().bytes);
  TrackTag tag;
  ASSERT_TRUE(Read(temp / "song.mp3", tag));
  EXPECT_EQ(tag.TagId, "TAG");
  EXPECT_EQ(tag.Title, "Opening Song                  ");
  EXPECT_EQ(tag.Artist, "Some Band                     ");
  EXPECT_EQ(tag.Album, "First Album                   ");
  EXPECT_EQ(tag.Year, "1999");
  EXPECT_EQ(tag.Comment, "a comment                     ");
  EXPECT_EQ(tag.Genre, 17);
  EXPECT_EQ(tag.Track, 0);
  EXPECT_EQ(tag.TagVersion, "ID3v1.0   ");
}

TEST(ReadTrackTagTest, DecidesTheLayoutOnTheRawCommentBytes) {
  struct Case {
    const char* name;
    int byte125;
    int byte126;
    std::int16_t track;
    std::string comment_end;  // the last three comment characters
    const char* version;
  };
  const Case cases[] = {
      {"1.1 with track 7", 0, 7, 7, "y  ", "ID3v1.1   "},
      {"1.1 with track 255", 0, 255, 255, "y  ", "ID3v1.1   "},
      {"both zero is 1.0", 0, 0, 0, "y  ", "ID3v1.0   "},
      {"letter then 7 is 1.0", 'L', 7, 0, "yL\x07", "ID3v1.0   "},
  };
  for (const auto& c : cases) {
    TempFolder temp;
    Trailer t = TaggedTrailer();
    t.At(97, std::string(27, 'x') + "y").Byte(125, c.byte125).Byte(126, c.byte126);
    WriteFile(temp / "t.mp3", t.bytes);
    TrackTag tag;
    ASSERT_TRUE(Read(temp / "t.mp3", tag)) << c.name;
    EXPECT_EQ(tag.Track, c.track) << c.name;
    EXPECT_EQ(tag.Comment.size(), 30u) << c.name;
    EXPECT_EQ(tag.Comment.substr(27), c.comment_end) << c.name;
    EXPECT_EQ(tag.TagVersion, c.version) << c.name;
  }
}

TEST(ReadTrackTagTest, TurnsEveryNulIntoASpaceWithoutCuttingTheText) {
  TempFolder temp;
  Trailer t = TaggedTrailer();
  t.At(3, std::string("abc\0def", 7) + std::string(23, '\0'));
  t.At(33, std::string("\0\0Band", 6) + std::string(24, '\0'));
  WriteFile(temp / "nul.mp3", t.bytes);
  TrackTag tag;
  ASSERT_TRUE(Read(temp / "nul.mp3", tag));
  EXPECT_EQ(tag.Title, "abc def" + std::string(23, ' '));
  EXPECT_EQ(tag.Artist, "  Band" + std::string(24, ' '));
  EXPECT_EQ(tag.Year, "1999");
  EXPECT_EQ(tag.Title.find('\0'), std::string::npos);
}

TEST(ReadTrackTagTest, GenreByteIsReturnedUnchanged) {
  TempFolder temp;
  WriteFile(temp / "g.mp3", TaggedTrailer().Byte(127, 255).bytes);
  TrackTag tag;
  ASSERT_TRUE(Read(temp / "g.mp3", tag));
  EXPECT_EQ(tag.Genre, 255);
}

TEST(ReadTrackTagTest, ExactlyOneTrailerIsEnoughAndOneByteLessIsNot) {
  TempFolder temp;
  const std::string trailer = TaggedTrailer().bytes;
  WriteFile(temp / "128.mp3", trailer);
  WriteFile(temp / "127.mp3", trailer.substr(1));
  WriteFile(temp / "empty.mp3", "");
  TrackTag tag;
  EXPECT_TRUE(Read(temp / "128.mp3", tag));
  tag = Sentinel();
  EXPECT_FALSE(Read(temp / "127.mp3", tag));
  EXPECT_FALSE(Read(temp / "empty.mp3", tag));
  EXPECT_EQ(tag, Sentinel());
}

TEST(ReadTrackTagTest, MarkerIsCaseSensitive) {
  for (const char* marker : {"tag", "Tag", "TAg", "TA\0"}) {
    TempFolder temp;
    WriteFile(temp / "m.mp3", TaggedTrailer().At(0, std::string(marker, 3)).bytes);
    TrackTag tag = Sentinel();
    EXPECT_FALSE(Read(temp / "m.mp3", tag)) << marker;
    EXPECT_EQ(tag, Sentinel()) << marker;
  }
}

TEST(ReadTrackTagTest, OnlyOrdinaryFilesAreRead) {
  TempFolder temp;
  const std::string trailer = TaggedTrailer().bytes;
  WriteFile(temp / ".hidden.mp3", trailer);
  WriteFile(temp / "target.mp3", trailer);
  ASSERT_EQ(symlink((temp / "target.mp3").c_str(), (temp / "link.mp3").c_str()), 0);
  testing::MakeFolders(temp / "folder.mp3");
  for (const char* name : {".hidden.mp3", "link.mp3", "folder.mp3", "missing.mp3"}) {
    TrackTag tag = Sentinel();
    EXPECT_FALSE(Read(temp / name, tag)) << name;
    EXPECT_EQ(tag, Sentinel()) << name;
  }
}

TEST(ReadTrackTagTest, AFifoGivesFalseWithoutBlocking) {
  TempFolder temp;
  ASSERT_EQ(mkfifo((temp / "pipe.mp3").c_str(), 0600), 0);
  TrackTag tag = Sentinel();
  EXPECT_FALSE(Read(temp / "pipe.mp3", tag));  // a blocking open would hang here
  EXPECT_EQ(tag, Sentinel());
}

TEST(ReadTrackTagTest, AFileRemovedBeforeTheCallIsUntagged) {
  TempFolder temp;
  WriteFile(temp / "gone.mp3", TaggedTrailer().bytes);
  ASSERT_EQ(unlink((temp / "gone.mp3").c_str()), 0);
  TrackTag tag = Sentinel();
  EXPECT_FALSE(Read(temp / "gone.mp3", tag));
  EXPECT_EQ(tag, Sentinel());
}

TEST(ReadTrackTagTest, AnUnreadableFileIsUntagged) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempFolder temp;
  WriteFile(temp / "locked.mp3", TaggedTrailer().bytes);
  ASSERT_EQ(chmod((temp / "locked.mp3").c_str(), 0), 0);
  TrackTag tag = Sentinel();
  EXPECT_FALSE(Read(temp / "locked.mp3", tag));
  EXPECT_EQ(tag, Sentinel());
}

}  // namespace
}  // namespace quillfold
