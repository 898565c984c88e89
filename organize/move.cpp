#include "organize/move.h"

#include "organize/report.h"
#include "platform/path_helpers.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// Moves `old_path` to `folder` + `name`, or to the first name after it with
// ".mp3" appended that is free, and returns where the file went. The rename
// itself is the existence test: it refuses any name where anything exists,
// as PathExists would see it, and it cannot be outrun by a name taken a
// moment before, so each name costs one call instead of two.
std::string MoveToFreeName(FileSystem& file_system, const std::string& old_path,
                           const std::string& folder, const std::string& name) {
  std::string candidate = folder + name;
  while (file_system.RenameNoReplace(old_path, candidate) == RenameOutcome::kTargetTaken) {
    candidate += ".mp3";
  }
  return candidate;
}

}  // namespace

std::optional<std::string> MoveToTarget(RunContext& context, const Placement& target,
                                        const std::string& relative_path, bool apply_changes) {
  const std::string old_path = context.base_folder + relative_path;
  const std::string new_path = target.target_folder + target.target_name;
  // Told apart by the outcome, never by the text: a title may well read
  // "No Action Needed".
  if (EqualsIgnoringAsciiCase(new_path, old_path)) return std::nullopt;
  std::string move_result =
      MoveText(new_path, context.base_folder.size(), context.file_system.separator());
  if (!apply_changes) return move_result;
  context.target_folders.Prepare(target.target_folder, context.journal);
  if (context.journal != nullptr) context.journal->WillMove(old_path, new_path);
  const std::string moved_to =
      MoveToFreeName(context.file_system, old_path, target.target_folder, target.target_name);
  if (context.journal != nullptr) context.journal->Moved(moved_to);
  if (context.host.CurrentOptions().chkUpdateM3U == 1) {
    // Asked after the move: where letter case does not tell names apart, a
    // line in other letter case named this file and now names nothing.
    context.playlists.ReplaceMatchingLines(old_path, moved_to, [&](const std::string& line) {
      return PathExists(context.file_system, line);
    });
  }
  return move_result;
}

}  // namespace quillfold
