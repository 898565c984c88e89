#include "sample_library/library_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "organize/playlist_entry.h"
#include "sample_library/id3v2_bytes.h"
#include "sample_library/mp3_bytes.h"

namespace quillfold::bench {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

void WriteNewFile(const std::string& path, const std::string& content) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot create", path);
  const ssize_t written = write(fd, content.data(), content.size());
  const bool closed = close(fd) == 0;
  if (written != static_cast<ssize_t>(content.size()) || !closed) Fail("cannot write", path);
}

void MakeFolders(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) throw std::runtime_error("cannot create folder \"" + path + "\": " + error.message());
}

constexpr std::size_t kCoverArtBytes = 30 * 1024;

// The ID3v2.4 tag of `fields`: a frame for each text that is set.
std::string Id3v2Tag(const TagFields& fields, bool cover_art) {
  Id3v2Layout layout{.picture_bytes = cover_art ? kCoverArtBytes : 0, .padding = 256};
  for (const auto& [id, text] : {std::pair{"TIT2", fields.title}, std::pair{"TPE1", fields.artist},
                                 std::pair{"TALB", fields.album}}) {
    if (!text.empty()) layout.frames.push_back({id, text});
  }
  if (fields.track > 0) layout.frames.push_back({"TRCK", std::to_string(fields.track)});
  layout.frames.push_back({"TCON", "(" + std::to_string(fields.genre) + ")"});
  return EncodeId3v2(layout);
}

std::string AudioFile(const PlannedFile& file, bool id3v2, bool cover_art) {
  if (!file.tag.tagged) return MpegFrames(file.frames);
  if (id3v2) return Id3v2Tag(file.tag.fields, cover_art) + MpegFrames(file.frames);
  return MpegFrames(file.frames) + EncodeId3v1(file.tag.fields);
}

}  // namespace

// The forms are written as the engine writes them, which its own tests
// check against players' forms.
std::string PlaylistLine(const LibraryPlan& plan, const PlannedPlaylist& playlist,
                         const PlaylistEntry& entry, const std::string& base) {
  if (entry.file == PlaylistEntry::kHeader) return "#EXTM3U";
  const std::string path = base + "/" + plan.files[static_cast<std::size_t>(entry.file)].relative;
  const std::string folder =
      base + "/" + playlist.relative.substr(0, playlist.relative.rfind('/') + 1);
  switch (entry.form) {
    case PlaylistEntry::Form::kRelative:
      return WritePlaylistEntry("x", EntryForm::kRelative, path, folder, '/');
    case PlaylistEntry::Form::kUri:
      return WritePlaylistEntry("file:///", EntryForm::kUri, path, folder, '/');
    default:
      return path;
  }
}

LibraryStats WriteLibrary(const LibraryPlan& plan, const std::string& base, bool id3v2) {
  LibraryStats stats;
  MakeFolders(base);
  for (const auto& folder : plan.folders) MakeFolders(base + "/" + folder);
  for (const auto& folder : plan.empty_folders) MakeFolders(base + "/" + folder);
  for (const auto& file : plan.files) {
    const std::string content = AudioFile(file, id3v2, stats.files % 2 == 1);
    WriteNewFile(base + "/" + file.relative, content);
    ++stats.files;
    stats.audio_bytes += content.size();
  }
  for (const auto& playlist : plan.playlists) {
    std::string content;
    for (const auto& entry : playlist.entries) {
      content += PlaylistLine(plan, playlist, entry, base) + "\r\n";
    }
    WriteNewFile(base + "/" + playlist.relative, content);
    stats.playlist_lines += playlist.entries.size();
    stats.playlist_bytes += content.size();
  }
  for (const auto& link : plan.links) {
    const std::string target = link.to_file ? base + "/" + link.target : link.target;
    if (symlink(target.c_str(), (base + "/" + link.relative).c_str()) != 0) {
      Fail("cannot link", base + "/" + link.relative);
    }
  }
  return stats;
}

}  // namespace quillfold::bench
