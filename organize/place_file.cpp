#include "organize/place_file.h"

#include <cstring>
#include <optional>

#include "organize/move.h"
#include "organize/placement.h"
#include "organize/report.h"
#include "tags/read_song_tag.h"
#include "tags/read_track_tag.h"

namespace quillfold {
namespace {

// A file that cannot be read is filed as one without a tag, as ever; the
// front end is told which and why. In the ID3v1 mode a file without an
// ID3v1 tag is counted when it has an ID3v2 tag (at its start or appended),
// for the hint that names the option that would read it.
std::optional<SongTag> TagOf(RunContext& context, const std::string& full_path, bool id3v2,
                             FileRead& read) {
  std::optional<SongTag> song;
  if (id3v2) {
    SongTag tag;
    if (ReadSongTag(context.file_system, full_path, tag, read)) song = std::move(tag);
  } else if (TrackTag tag; ReadTrackTag(context.file_system, full_path, tag, read)) {
    song = FromTrackTag(tag);
  } else if (read.error == 0 && HasId3v2Tag(context.file_system, full_path)) {
    ++context.files_with_only_id3v2;
  }
  if (read.error != 0) context.host.TagUnreadable(full_path, std::strerror(read.error));
  return song;
}

// Each option is read on its own, at the moment the file needs it.
PlacementOptions CurrentPlacementOptions(OrganizeHost& host) {
  PlacementOptions options;
  options.ignore_no_track = host.CurrentOptions().chkIgnoreNoTrack == 1;
  options.track_name = host.CurrentOptions().chkTrackName == 1;
  options.no_album = host.CurrentOptions().chkNoAlbum == 1;
  options.id3v2 = host.CurrentOptions().chkID3v2 == 1;
  return options;
}

}  // namespace

std::optional<std::string> PlaceFile(RunContext& context, const std::string& relative_path,
                                     bool apply_changes) {
  const char separator = context.file_system.separator();
  const PlacementOptions options = CurrentPlacementOptions(context.host);
  FileRead read;
  const std::optional<SongTag> tag =
      TagOf(context, context.base_folder + relative_path, options.id3v2, read);
  const std::string current_name = CurrentName(relative_path, separator);
  const Placement target =
      DecidePlacement(tag, options, context.base_folder, current_name, separator);
  const auto move_result =
      MoveToTarget(context, target, relative_path, read.identity, apply_changes);
  if (!move_result) return std::nullopt;
  return ResultLine(current_name, *move_result);
}

}  // namespace quillfold
