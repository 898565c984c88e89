#include "tags/read_song_tag.h"

#include <algorithm>
#include <array>
#include <utility>
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
    const std::size_t size = std::clamp(wanted, kFollowUpReadSize, kFollowUpReadAtMost);
    later_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, file_size_ - offset)));
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

// True when no ID3v1 tag could change `from_id3v2`, the tag merged from
// ID3v2 alone: every field ID3v1 could fill in is set.
bool Id3v1AddsNothingTo(const SongTag& from_id3v2) {
  return !from_id3v2.title.empty() && !from_id3v2.artist.empty() && !from_id3v2.album.empty() &&
         !from_id3v2.genre.empty() && from_id3v2.track > 0;
}

std::optional<TrackTag> Id3v1In(std::span<const std::uint8_t> last) {
  if (last.size() < kTrailerSize) return std::nullopt;
  TagTrailer trailer{};
  std::copy(last.end() - kTrailerSize, last.end(), trailer.begin());
  TrackTag tag;
  return DecodeTrackTag(trailer, tag) ? std::optional(tag) : std::nullopt;
}

// An ID3v2.4 tag appended at the end, its footer just before the ID3v1 tag
// or, without one, the file's last ten bytes.
std::optional<Id3v2Fields> AppendedId3v2(Id3v2Bytes& bytes, std::span<const std::uint8_t> last,
                                         std::uint64_t file_size, bool has_id3v1) {
  const std::size_t after_footer = has_id3v1 ? kTrailerSize : 0;
  if (last.size() < after_footer + kId3v2HeaderSize) return std::nullopt;
  const std::size_t footer_in_last = last.size() - after_footer - kId3v2HeaderSize;
  return ReadAppendedId3v2(bytes, last.subspan(footer_in_last, kId3v2HeaderSize),
                           file_size - after_footer - kId3v2HeaderSize);
}

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

bool ReadSongTag(FileSystem& file_system, const std::string& path, SongTag& tag,
                 FileRead& file_read) {
  std::vector<std::uint8_t> head(kTagHeadSize);
  const PartsRead read = file_system.ReadOrdinaryFileParts(path, 0, head, {});
  file_read = {read.error, read.identity};
  if (!read.read) return false;
  const std::span<const std::uint8_t> head_read = std::span(head).first(read.head_bytes);
  FileBytes bytes(file_system, path, head_read, read.size);
  std::optional<Id3v2Fields> id3v2 = ReadId3v2(bytes);
  // Most tags say all ID3v1 could: their file's end is not read, which on a
  // share saves a round trip or two per file.
  if (id3v2) {
    SongTag from_id3v2 = MergedTag(id3v2, std::nullopt);
    if (Id3v1AddsNothingTo(from_id3v2)) {
      tag = std::move(from_id3v2);
      return true;
    }
  }
  // The file's last bytes, up to kTagTailSize: all in the head when the file
  // is no longer.
  std::array<std::uint8_t, kTagTailSize> tail{};
  std::span<const std::uint8_t> last = head_read;
  if (head_read.size() < read.size) {
    const PartsRead tail_read =
        file_system.ReadOrdinaryFileParts(path, read.size - tail.size(), tail, {});
    if (!tail_read.read) {
      file_read.error = tail_read.error;
      return false;
    }
    last = tail;
  }
  const std::optional<TrackTag> id3v1 = Id3v1In(last);
  if (!id3v2) id3v2 = AppendedId3v2(bytes, last, read.size, id3v1.has_value());
  if (!id3v2 && !id3v1) return false;
  tag = MergedTag(id3v2, id3v1);
  return true;
}

bool HasId3v2Tag(FileSystem& file_system, const std::string& path) {
  std::array<std::uint8_t, kId3v2HeaderSize> header{};
  std::array<std::uint8_t, kId3v2HeaderSize> footer{};
  const PartsRead read = file_system.ReadOrdinaryFileParts(path, 0, header, footer);
  if (!read.read) return false;
  return IsId3v2Header(std::span(header).first(read.head_bytes)) ||
         (read.tail_read && IsId3v2Footer(footer));
}

}  // namespace quillfold
