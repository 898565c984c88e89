#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillfold {

// How a playlist line names a file, as players write it.
enum class EntryForm {
  kNone,      // names no file of ours: a comment or #EXTINF line, a URL, an empty line
  kAbsolute,  // a full path: "/home/ann/Music/a.mp3"
  kRelative,  // relative to the playlist's folder: "a.mp3", "./a.mp3", "../In/a.mp3"
  kUri,       // a file URI: "file:///home/ann/My%20Music/a.mp3", "file://localhost/..."
};

// Where a line leads, as the full path `head` followed by `tail` (either may
// be empty), so that the common case costs no copy: an absolute line is all
// tail, a plain relative line the playlist's folder then the line itself.
struct EntryTarget {
  EntryForm form = EntryForm::kNone;
  std::string_view head;
  std::string_view tail;

  std::string Path() const { return std::string(head) + std::string(tail); }
};

// Reads `line` of a playlist in `folder` (a full path ending in `separator`)
// as a player reads it. Nothing is looked up on disk; the line is never
// trimmed.
// - A line starting with "#", and an empty line, name nothing.
// - A line starting with the separator is an absolute path, taken exactly.
// - "file:" + "//" + an empty host or "localhost" (any letter case) + an
//   absolute path is a file URI: its %XX escapes are decoded. One with a
//   query or fragment ("?", "#"), a bad escape, an escaped NUL or another
//   host names nothing; so does a URI where the separator is not "/".
// - A line that starts with a URI scheme (a letter, then letters, digits,
//   "+", "-" or ".", then ":"; at least two characters before the colon, so
//   a drive letter is none) names nothing: it is a URL.
// - Any other line is relative to `folder`: "." segments and empty ones are
//   dropped, ".." takes off the last folder (never above the root).
// The views point into `line`, `folder` or `scratch`, which must outlive the
// result.
EntryTarget ReadPlaylistEntry(std::string_view line, std::string_view folder, char separator,
                              std::string& scratch);

// The line that names `new_path` (a full path) in the form of `old_line`,
// which ReadPlaylistEntry read as a path of that form (not kNone): an
// absolute path as it is; a relative path from `folder`, with ".." where the
// new place needs it and the "./" the old line began with kept (or added,
// where the line would otherwise read as a comment or a URL); a URI with
// the old line's "file://" or "file://localhost" kept and every byte of the
// path but unreserved ones and "/" percent-encoded. The line written reads
// back as a path of the same form.
std::string WritePlaylistEntry(std::string_view old_line, EntryForm form, std::string_view new_path,
                               std::string_view folder, char separator);

// The part of `line`, read as a path of `form`, that WritePlaylistEntry may
// keep: a URI's "file://" and host, a relative line's leading "./"; empty
// for any other. WritePlaylistEntry's line depends on nothing else of the
// old line.
std::string_view KeptPrefix(std::string_view line, EntryForm form, char separator);

// True when `line`, which ReadPlaylistEntry read as `target`, is exactly
// what WritePlaylistEntry writes for that path in that form, told from the
// line alone: an absolute line, a relative line of plain names, a URI
// escaped as WritePlaylistEntry escapes. False where that cannot be told
// cheaply ("./", "..", an empty folder): write the line to compare it.
bool IsWrittenForm(std::string_view line, const EntryTarget& target);

// The form ReadPlaylistEntry finds for `line`, without working out its path.
EntryForm EntryFormOf(std::string_view line, char separator);

// `line` rewritten to name `path` in its own form (WritePlaylistEntry of
// the form ReadPlaylistEntry finds); nullopt when it names no file. A line a
// move rewrote, rewritten to name the move's old path, is checked against
// the line as it was: where the two agree, the journal need not keep it.
std::optional<std::string> EntryNaming(std::string_view line, std::string_view path,
                                       std::string_view folder, char separator);

}  // namespace quillfold
