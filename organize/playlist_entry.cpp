#include "organize/playlist_entry.h"

#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::string_view kFileScheme = "file:";
constexpr std::string_view kLocalHost = "localhost";

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// True when `line` starts with a URI scheme and its colon. One letter before
// the colon is a drive letter, not a scheme.
bool StartsWithScheme(std::string_view line) {
  if (line.empty() || !IsAsciiLetter(line[0])) return false;
  for (std::size_t i = 1; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ':') return i >= 2;
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  const char upper = AsciiUpper(c);
  return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// Where the path of a file URI starts: after "file://" and an empty or
// local host; npos for any other URI.
std::size_t FileUriPathStart(std::string_view line) {
  constexpr std::size_t kAuthority = kFileScheme.size() + 2;
  if (!EqualsIgnoringAsciiCase(line.substr(0, kFileScheme.size()), kFileScheme) ||
      line.substr(kFileScheme.size(), 2) != "//") {
    return std::string_view::npos;
  }
  const std::size_t path = line.find('/', kAuthority);
  if (path == std::string_view::npos) return path;
  const std::string_view host = line.substr(kAuthority, path - kAuthority);
  return host.empty() || EqualsIgnoringAsciiCase(host, kLocalHost) ? path : std::string_view::npos;
}

// Where the escaped path of a file URI `line` starts: npos for a line that
// is no file URI this system can follow.
std::size_t FollowedUriPathStart(std::string_view line, char separator) {
  const std::size_t start = FileUriPathStart(line);
  if (separator != '/' || start == std::string_view::npos) return std::string_view::npos;
  // A plain loop: find_first_of tests each byte against the set by a call
  // of its own.
  for (std::size_t i = start; i < line.size(); ++i) {
    if (line[i] == '?' || line[i] == '#') return std::string_view::npos;
  }
  return start;
}

// The byte a "%" escape at `at` in `path` stands for; -1 for a bad escape,
// and for an escaped NUL, which no path holds.
int EscapedByte(std::string_view path, std::size_t at) {
  const int high = at + 2 < path.size() ? HexValue(path[at + 1]) : -1;
  const int low = high < 0 ? -1 : HexValue(path[at + 2]);
  return low < 0 || (high == 0 && low == 0) ? -1 : high * 16 + low;
}

EntryTarget ReadFileUri(std::string_view line, char separator, std::string& scratch) {
  const std::size_t start = FollowedUriPathStart(line, separator);
  if (start == std::string_view::npos) return {};
  const std::string_view path = line.substr(start);
  std::size_t escape = path.find('%');
  if (escape == std::string_view::npos) return {EntryForm::kUri, {}, path};
  scratch.assign(path.substr(0, escape));
  while (escape != std::string_view::npos) {
    const int byte = EscapedByte(path, escape);
    if (byte < 0) return {};
    scratch += static_cast<char>(byte);
    const std::size_t next = path.find('%', escape + 3);
    scratch.append(path.substr(escape + 3, next - (escape + 3)));
    escape = next;
  }
  return {EntryForm::kUri, {}, scratch};
}

bool IsFollowedUri(std::string_view line, char separator) {
  const std::size_t start = FollowedUriPathStart(line, separator);
  if (start == std::string_view::npos) return false;
  for (std::size_t escape = line.find('%', start); escape != std::string_view::npos;
       escape = line.find('%', escape + 3)) {
    if (EscapedByte(line.substr(start), escape - start) < 0) return false;
  }
  return true;
}

// True when every segment of `line` is a name: none is empty, "." or "..".
bool AllPlainSegments(std::string_view line, char separator) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find(separator, start);
    const std::string_view segment = line.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

EntryTarget ReadRelative(std::string_view line, std::string_view folder, char separator,
                         std::string& scratch) {
  if (AllPlainSegments(line, separator)) return {EntryForm::kRelative, folder, line};
  scratch.assign(folder);
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t found = line.find(separator, start);
    const std::size_t end = found == std::string_view::npos ? line.size() : found;
    const std::string_view segment = line.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment != "..") {
      scratch.append(segment).push_back(separator);
    } else if (scratch.size() > 1) {
      scratch.resize(scratch.rfind(separator, scratch.size() - 2) + 1);
    }
  }
  if (scratch.size() > 1) scratch.pop_back();
  return {EntryForm::kRelative, {}, scratch};
}

// `path` from `folder` (ending in the separator): up with ".." out of the
// folders the two do not share, then down to the file.
std::string RelativePath(std::string_view folder, std::string_view path, char separator) {
  std::size_t shared = 0;
  for (std::size_t i = 0; i < folder.size() && i < path.size() && folder[i] == path[i]; ++i) {
    if (folder[i] == separator) shared = i + 1;
  }
  std::string relative;
  for (std::size_t i = shared; i < folder.size(); ++i) {
    if (folder[i] == separator) relative.append("..").push_back(separator);
  }
  return relative.append(path.substr(shared));
}

bool IsUnreserved(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

// True when `escaped` is what PercentEncoded makes of the path it stands
// for: every byte that must be escaped is, in upper-case hex, and no other.
bool IsCanonicallyEscaped(std::string_view escaped) {
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      if (!IsUnreserved(escaped[i]) && escaped[i] != '/') return false;
      continue;
    }
    const int byte = EscapedByte(escaped, i);
    const auto upper_hex = [](char c) { return IsAsciiDigit(c) || (c >= 'A' && c <= 'F'); };
    if (byte < 0 || !upper_hex(escaped[i + 1]) || !upper_hex(escaped[i + 2]) ||
        IsUnreserved(static_cast<char>(byte)) || byte == '/') {
      return false;
    }
    i += 2;
  }
  return true;
}

std::string PercentEncoded(std::string_view path) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : path) {
    if (IsUnreserved(c) || c == '/') {
      encoded += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

}  // namespace

EntryTarget ReadPlaylistEntry(std::string_view line, std::string_view folder, char separator,
                              std::string& scratch) {
  if (line.empty() || line[0] == '#') return {};
  if (line[0] == separator) return {EntryForm::kAbsolute, {}, line};
  if (StartsWithScheme(line)) return ReadFileUri(line, separator, scratch);
  return ReadRelative(line, folder, separator, scratch);
}

std::string_view KeptPrefix(std::string_view line, EntryForm form, char separator) {
  switch (form) {
    case EntryForm::kRelative:
      return line.size() > 1 && line[0] == '.' && line[1] == separator ? line.substr(0, 2) : "";
    case EntryForm::kUri:
      return line.substr(0, FileUriPathStart(line));
    default:
      return {};
  }
}

std::string WritePlaylistEntry(std::string_view old_line, EntryForm form, std::string_view new_path,
                               std::string_view folder, char separator) {
  const std::string_view prefix = KeptPrefix(old_line, form, separator);
  switch (form) {
    case EntryForm::kRelative: {
      const std::string relative = RelativePath(folder, new_path, separator);
      if (relative.starts_with("..")) return relative;
      // A player would read such a line as a comment or a URL.
      const bool dot_needed = relative.starts_with('#') || StartsWithScheme(relative);
      return (prefix.empty() && dot_needed ? std::string(".") + separator : std::string(prefix)) +
             relative;
    }
    case EntryForm::kUri:
      return std::string(prefix) + PercentEncoded(new_path);
    default:
      return std::string(new_path);
  }
}

bool IsWrittenForm(std::string_view line, const EntryTarget& target) {
  switch (target.form) {
    case EntryForm::kAbsolute:
      return true;
    case EntryForm::kRelative:
      return !target.head.empty();
    case EntryForm::kUri:
      return IsCanonicallyEscaped(line.substr(FileUriPathStart(line)));
    default:
      return false;
  }
}

EntryForm EntryFormOf(std::string_view line, char separator) {
  if (line.empty() || line[0] == '#') return EntryForm::kNone;
  if (line[0] == separator) return EntryForm::kAbsolute;
  if (StartsWithScheme(line)) {
    return IsFollowedUri(line, separator) ? EntryForm::kUri : EntryForm::kNone;
  }
  return EntryForm::kRelative;
}

std::optional<std::string> EntryNaming(std::string_view line, std::string_view path,
                                       std::string_view folder, char separator) {
  const EntryForm form = EntryFormOf(line, separator);
  if (form == EntryForm::kNone) return std::nullopt;
  return WritePlaylistEntry(line, form, path, folder, separator);
}

}  // namespace quillfold
