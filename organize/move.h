#pragma once

#include <optional>
#include <string>

#include "organize/placement.h"
#include "organize/run_context.h"

namespace quillfold {

// Carries out `target` for the file at base folder + `relative_path` and
// returns what happened, the end of its report line: nothing when the target
// equals the present path apart from ASCII letter case (the file needs no
// action and is not listed; so is a file already at the first free name of
// its target's chain, a collision duplicate left where it is), otherwise the move text naming the
// target as decided (never with a collision suffix). A report-only run stops there. A real run then
// makes the target folder ready, moves the file to the first free name (appending ".mp3" while
// anything exists at the name, a moment before included; the move never replaces anything; with a
// journal, each name is recorded before it is tried, with the file's identity, and where the file
// went after it) and, when chkUpdateM3U is 1, points every playlist line that leads to the old path
// at the new one, in the line's own form (a line in other letter case only while nothing exists
// where it leads, which would be another file). Failures throw RunError; the file is then where it
// was and no playlist line has changed for it. `read_identity` is the file's identity as its tag
// was read, when it was: the journal records it without asking the disk again (on a share, a
// request each).
std::optional<std::string> MoveToTarget(RunContext& context, const Placement& target,
                                        const std::string& relative_path,
                                        const std::optional<FileIdentity>& read_identity,
                                        bool apply_changes);

}  // namespace quillfold
