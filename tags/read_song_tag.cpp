#include "tags/read_song_tag.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tags/genre_table.h"
#include "tags/id3v2_text.h"
#include "tags/read_track_tag.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// A read past the head takes at least this much, so that the text frames
// after a picture come in one read.
constexpr std::size_t kFollowUpReadSize = 4 * 1024;
// Beyond the first read (head and tail together).
constexpr int kFollowUpReads = 2;

// A file's bytes: the head read first, then at most kFollowUpReads more
// reads, each replacing the one before.
class FileBytes final : public Id3v2Bytes {
 public:
  FileBytes(FileSystem& file_system, const std::string& path, std::span<const std::uint8_t> head,
            std::uint64_t file_size)
      : file_system_(file_system), path_(path), head_(head), file_size_(file_size) {}

  std::span<const std::uint8_t> AtHand(std::uint64_t offset) override {
    const std::span<const std::uint8_t> in_head = BufferedBytes(head_).AtHand(offset);
    const std::span<const std::uint8_t> in_later = BufferedBytes(later_, later_at_).AtHand(offset);
    return in_later.size() > in_head.size() ? in_later : in_head;
  }

  std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t wanted) override {
    const std::span<const std::uint8_t> at_hand = AtHand(offset);
    if (at_hand.size() >= wanted || reads_left_ == 0 || offset >= file_size_) return at_hand;
    --reads_left_;
    later_.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(wanted, kFollowUpReadSize), file_size_ - offset)));
    const PartsRead read = file_system_.ReadOrdinaryFileParts(path_, offset, later_, {});
    later_.resize(read.read ? read.head_bytes : 0);
    later_at_ = offset;
    return AtHand(offset);
  }

 private:
  FileSystem& file_system_;
  const std::string& path_;
  std::span<const std::uint8_t> head_;
  std::uint64_t file_size_;
  std::vector<std::uint8_t> later_;
  std::uint64_t later_at_ = 0;
  int reads_left_ = kFollowUpReads;
};

std::string Chosen(const std::string& id3v2, const std::string& id3v1) {
  return TrimSpaces(id3v2).empty() ? id3v1 : id3v2;
}

}  // namespace

SongTag MergedTag(const std::optional<Id3v2Fields>& id3v2, const std::optional<TrackTag>& id3v1) {
  SongTag old;
  if (id3v1) {
    old.title = Latin1ToUtf8(TrimSpaces(id3v1->Title));
    old.artist = Latin1ToUtf8(TrimSpaces(id3v1->Artist));
    old.album = Latin1ToUtf8(TrimSpaces(id3v1->Album));
    old.genre = GenreName(id3v1->Genre);
    old.track = id3v1->Track;
  }
  if (!id3v2) return old;
  SongTag merged;
  merged.title = Chosen(id3v2->title, old.title);
  merged.artist = Chosen(id3v2->artist, old.artist);
  merged.album_artist = id3v2->album_artist;
  merged.album = Chosen(id3v2->album, old.album);
  merged.genre = Chosen(GenreFromTcon(id3v2->genre), old.genre);
  const int track = ParseNumberPair(id3v2->track).number;
  merged.track = track > 0 ? track : old.track;
  const NumberPair disc = ParseNumberPair(id3v2->disc);
  merged.disc = disc.number;
  merged.disc_count = disc.count;
  return merged;
}

bool ReadSongTag(FileSystem& file_system, const std::string& path, SongTag& tag, int& read_error) {
  std::vector<std::uint8_t> head(kTagHeadSize);
  TagTrailer tail{};
  const PartsRead read = file_system.ReadOrdinaryFileParts(path, 0, head, tail);
  read_error = read.error;
  if (!read.read) return false;
  FileBytes bytes(file_system, path, std::span(head).first(read.head_bytes), read.size);
  const std::optional<Id3v2Fields> id3v2 = ReadId3v2(bytes);
  TrackTag id3v1;
  const bool has_id3v1 = read.tail_read && DecodeTrackTag(tail, id3v1);
  if (!id3v2 && !has_id3v1) return false;
  tag = MergedTag(id3v2, has_id3v1 ? std::optional(id3v1) : std::nullopt);
  return true;
}

bool StartsWithId3v2(FileSystem& file_system, const std::string& path) {
  std::array<std::uint8_t, kId3v2HeaderSize> header{};
  const PartsRead read = file_system.ReadOrdinaryFileParts(path, 0, header, {});
  return read.read && IsId3v2Header(std::span(header).first(read.head_bytes));
}

}  // namespace quillfold
