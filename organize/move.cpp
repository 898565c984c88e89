#include "organize/move.h"

#include <cerrno>

#include "errors/run_error.h"
#include "organize/report.h"
#include "platform/path_helpers.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

// Moves `old_path` to `target`, or to the first name after it with ".mp3"
// appended that is free, and returns where the file went. The rename itself
// is the existence test: it refuses any name where anything exists, as
// PathExists would see it, and it cannot be outrun by a name taken a moment
// before, so each name costs one call instead of two. With a journal, each
// name is recorded before it is tried, with the file's identity (as read
// with its tag, or asked now), so that what a kill leaves is told by what
// is on disk, never guessed.
std::string MoveToFreeName(RunContext& context, const std::string& old_path,
                           const std::string& target, std::optional<FileIdentity> identity) {
  if (context.journal != nullptr && !identity) {
    identity = context.file_system.IdentityOf(old_path);
    if (!identity) throw RunErrorFromOs(ENOENT, "moving", old_path + "\" to \"" + target);
  }
  for (std::string candidate = target;; candidate += ".mp3") {
    if (context.journal != nullptr) context.journal->WillTry(old_path, candidate, *identity);
    if (context.file_system.RenameNoReplace(old_path, candidate) == RenameOutcome::kRenamed) {
      return candidate;
    }
  }
}

// True when the file already has the name the free-name search would give
// it: its name is the target's with ".mp3" appended, and each name before
// it in that chain is taken. So a rerun leaves a collision duplicate where
// it is, instead of moving it one suffix on and back.
bool AtItsFreeName(FileSystem& file_system, const std::string& old_path,
                   const std::string& new_path) {
  if (old_path.size() <= new_path.size() || !old_path.starts_with(new_path)) return false;
  const std::string_view suffixes = std::string_view(old_path).substr(new_path.size());
  for (std::size_t i = 0; i < suffixes.size(); i += 4) {
    if (suffixes.substr(i, 4) != ".mp3") return false;
  }
  for (std::string name = new_path; name != old_path; name += ".mp3") {
    if (!PathExists(file_system, name)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> MoveToTarget(RunContext& context, const Placement& target,
                                        const std::string& relative_path,
                                        const std::optional<FileIdentity>& read_identity,
                                        bool apply_changes) {
  const std::string old_path = context.base_folder + relative_path;
  const std::string new_path = target.target_folder + target.target_name;
  // Told apart by the outcome, never by the text: a title may well read
  // "No Action Needed".
  if (EqualsIgnoringAsciiCase(new_path, old_path) ||
      AtItsFreeName(context.file_system, old_path, new_path)) {
    return std::nullopt;
  }
  std::string move_result =
      MoveText(new_path, context.base_folder.size(), context.file_system.separator());
  if (!apply_changes) return move_result;
  context.target_folders.Prepare(target.target_folder, context.journal);
  const std::string moved_to = MoveToFreeName(context, old_path, new_path, read_identity);
  if (context.journal != nullptr) context.journal->Moved(moved_to);
  if (context.host.CurrentOptions().chkUpdateM3U == 1) {
    const std::optional<std::uint32_t> move =
        context.journal != nullptr ? std::optional(context.journal->MoveNumber()) : std::nullopt;
    context.playlists.FileMoved(old_path, moved_to, move);
  }
  return move_result;
}

}  // namespace quillfold
