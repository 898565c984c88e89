#pragma once

#include <optional>
#include <string>

#include "organize/run_context.h"

namespace quillfold {

// Handles one found file: reads chkID3v2, chkIgnoreNoTrack,
// chkTrackName and chkNoAlbum from the host, decides its place, hands that to
// MoveToTarget and returns the file's report line, e.g.
//   "track3.mp3": Move to "./Some Band/First Album/05. Opening Song.mp3"
// or nothing when the file is already where it belongs. A failure of the
// move throws RunError and no line is returned.
std::optional<std::string> PlaceFile(RunContext& context, const std::string& relative_path,
                                     bool apply_changes);

}  // namespace quillfold
