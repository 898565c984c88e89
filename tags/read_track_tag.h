#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "tags/track_tag.h"

namespace quillfold {

inline constexpr std::size_t kTrailerSize = 128;

// What reading a file for its tag told besides the tag.
struct FileRead {
  int error = 0;  // the errno of a file that could not be read, else 0
  // The ordinary file opened, when it was: a move of it records which file
  // it moves without asking the disk again.
  std::optional<FileIdentity> identity{};
};
using TagTrailer = std::array<std::uint8_t, kTrailerSize>;

// Decodes the last 128 bytes of a file. True when they begin with "TAG"
// (exact, case-sensitive); `tag` is then fully written. False leaves `tag`
// exactly as passed. Every NUL in a text field becomes a space wherever it
// stands. The tag is ID3v1.1 (track in byte 126) when byte 125 is 0 and byte
// 126 is not; otherwise ID3v1.0 with track 0.
bool DecodeTrackTag(const TagTrailer& trailer, TrackTag& tag);

// Reads the ID3v1 tag of the ordinary file at `path` (see
// FileSystem::ReadOrdinaryFileTail). False, with `tag` untouched, when the
// file has no tag, is not an ordinary file, is shorter than 128 bytes, or
// cannot be read: the caller files it as a file without a tag. `read`
// receives what the read found out besides the tag.
bool ReadTrackTag(FileSystem& file_system, const std::string& path, TrackTag& tag, FileRead& read);

}  // namespace quillfold
