#include "tests/support/playlist_consistency.h"

#include "organize/playlist_entry.h"
#include "organize/playlist_lines.h"
#include "text/ascii.h"

namespace quillfold::testing {
namespace {

bool IsPlaylist(const std::string& path) {
  const std::string upper = AsciiUpper(path);
  return upper.ends_with(".M3U") || upper.ends_with(".M3U8");
}

// The file a line of `playlist` leads to below the base, as a player reads
// it, as a path relative to the base; empty when it leads nowhere there.
std::string NamedFile(const PlaylistRules& rules, const std::string& playlist,
                      const std::string& line) {
  const std::string folder = rules.base + playlist.substr(0, playlist.rfind('/') + 1);
  std::string scratch;
  const std::string path = ReadPlaylistEntry(line, folder, '/', scratch).Path();
  return path.starts_with(rules.base) ? path.substr(rules.base.size()) : std::string();
}

class PlaylistChecker {
 public:
  PlaylistChecker(const PlaylistRules& rules, const TreeSnapshot& before, const TreeSnapshot& after)
      : rules_(rules), before_(before), after_(after) {}

  void Check(const std::string& playlist) {
    const auto now = after_.files.find(playlist);
    if (now == after_.files.end()) return Problem(playlist, "is gone");
    const std::string& old_content = before_.files.at(playlist);
    const bool may_stay_whole =
        rules_.all_may_stay_whole || rules_.may_stay_whole.contains(playlist);
    if (now->second == old_content && may_stay_whole) return;
    const auto old_lines = SplitPlaylistLines(old_content);
    const auto new_lines = SplitPlaylistLines(now->second);
    if (old_lines.size() != new_lines.size()) {
      return Problem(playlist, "holds " + std::to_string(new_lines.size()) + " lines instead of " +
                                   std::to_string(old_lines.size()));
    }
    for (std::size_t i = 0; i < old_lines.size(); ++i)
      CheckLine(playlist, old_lines[i], new_lines[i]);
  }

  std::vector<std::string> problems;

 private:
  void CheckLine(const std::string& playlist, const std::string& old_line,
                 const std::string& new_line) {
    const std::string old_file = NamedFile(rules_, playlist, old_line);
    const bool named_mp3 = before_.files.contains(old_file) && !IsPlaylist(old_file);
    if (old_line == new_line) {
      // A file may have moved into the place another one left: the line is
      // right only when the same content is still there.
      const auto there = after_.files.find(old_file);
      if (named_mp3 &&
          (there == after_.files.end() || there->second != before_.files.at(old_file))) {
        Problem(playlist, "still names " + old_line + ", which moved");
      }
      return;
    }
    if (!named_mp3) return Problem(playlist, "changed a line that named no file: " + old_line);
    const auto moved_to = after_.files.find(NamedFile(rules_, playlist, new_line));
    if (moved_to == after_.files.end() || moved_to->second != before_.files.at(old_file)) {
      Problem(playlist, "points " + old_line + " to " + new_line + ", which is not that file");
    }
  }

  void Problem(const std::string& playlist, const std::string& what) {
    problems.push_back(playlist + " " + what);
  }

  const PlaylistRules& rules_;
  const TreeSnapshot& before_;
  const TreeSnapshot& after_;
};

}  // namespace

std::vector<std::string> PlaylistProblems(const PlaylistRules& rules, const TreeSnapshot& before,
                                          const TreeSnapshot& after) {
  PlaylistChecker checker(rules, before, after);
  for (const auto& [path, content] : before.files) {
    if (IsPlaylist(path)) checker.Check(path);
  }
  return checker.problems;
}

}  // namespace quillfold::testing
