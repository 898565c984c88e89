#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "tags/id3v2_reader.h"
#include "tags/read_track_tag.h"
#include "tags/song_tag.h"
#include "tags/track_tag.h"

namespace quillfold {

// The bytes from a file's start that the first read takes: the tag header
// and the text frames of a typical tag.
inline constexpr std::size_t kTagHeadSize = 4096;
// The bytes from a file's end that are read when they may matter: the ID3v1
// tag and, before it, the footer of an ID3v2.4 tag appended to the file.
inline constexpr std::size_t kTagTailSize = kTrailerSize + kId3v2HeaderSize;
// Beyond the head and the tail, at most this many reads further in (after
// a picture, or of an appended tag), each of at most kFollowUpReadAtMost
// bytes: more than any frame or tag the ID3v2 reader asks for whole.
inline constexpr int kFollowUpReads = 2;
inline constexpr std::size_t kFollowUpReadAtMost = 64 * 1024;
// The most that ReadSongTag's reads of one file take, all together.
inline constexpr std::size_t kSongTagReadsAtMost =
    kTagHeadSize + kTagTailSize + kFollowUpReads * kFollowUpReadAtMost;

// Each field from ID3v2 when the tag has it and it is not blank, otherwise
// from ID3v1 (read as Latin-1, padding trimmed); the album artist and the
// disc come from ID3v2 alone. TRCK "3/12" gives track 3, TPOS "1/2" disc 1
// of 2, TCON its genre name (see GenreFromTcon).
SongTag MergedTag(const std::optional<Id3v2Fields>& id3v2, const std::optional<TrackTag>& id3v1);

// Reads the ID3v2 tag at the start of the ordinary file at `path` (or, when
// there is none, an ID3v2.4 tag appended before the ID3v1 tag or at the
// end) and its ID3v1 tag at the end, and merges them (MergedTag). A typical
// file costs one read, of its first kTagHeadSize bytes: its end is read
// only when its ID3v2 tag leaves a field that ID3v1 could fill blank (or it
// has none), and then only its last kTagTailSize bytes. A tag whose text
// frames lie further in (after a picture) or an appended tag costs at most
// two more reads, of those frames only. False, with `tag` untouched, when
// the file has neither tag or cannot be read; `read` as for ReadTrackTag.
bool ReadSongTag(FileSystem& file_system, const std::string& path, SongTag& tag, FileRead& read);

// True when the ordinary file at `path`, which has no ID3v1 tag, has an
// ID3v2 tag: at its start, or appended at its end (a footer in its last ten
// bytes). One read of each end. Any failure gives false.
bool HasId3v2Tag(FileSystem& file_system, const std::string& path);

}  // namespace quillfold
