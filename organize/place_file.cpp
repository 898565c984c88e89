#include "organize/place_file.h"

#include <cstring>
#include <optional>

#include "organize/move.h"
#include "organize/placement.h"
#include "organize/report.h"
#include "tags/read_track_tag.h"

namespace quillfold {
namespace {

// A file that cannot be read is filed as one without a tag, as ever; the
// front end is told which and why.
std::optional<TrackTag> TagOf(RunContext& context, const std::string& full_path) {
  TrackTag tag;
  int read_error = 0;
  const bool tagged = ReadTrackTag(context.file_system, full_path, tag, read_error);
  if (read_error != 0) context.host.TagUnreadable(full_path, std::strerror(read_error));
  if (!tagged) return std::nullopt;
  return tag;
}

// Each option is read on its own, at the moment the file needs it.
PlacementOptions CurrentPlacementOptions(OrganizeHost& host) {
  PlacementOptions options;
  options.ignore_no_track = host.CurrentOptions().chkIgnoreNoTrack == 1;
  options.track_name = host.CurrentOptions().chkTrackName == 1;
  options.no_album = host.CurrentOptions().chkNoAlbum == 1;
  return options;
}

}  // namespace

std::optional<std::string> PlaceFile(RunContext& context, const std::string& relative_path,
                                     bool apply_changes) {
  const char separator = context.file_system.separator();
  const std::optional<TrackTag> tag = TagOf(context, context.base_folder + relative_path);
  const std::string current_name = CurrentName(relative_path, separator);
  const Placement target = DecidePlacement(tag, CurrentPlacementOptions(context.host),
                                           context.base_folder, current_name, separator);
  const auto move_result = MoveToTarget(context, target, relative_path, apply_changes);
  if (!move_result) return std::nullopt;
  return ResultLine(current_name, *move_result);
}

}  // namespace quillfold
