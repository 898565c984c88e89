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

EntryTarget ReadFileUri(std::string_view line, char separator, std::string& scratch) {
  const std::size_t start = FileUriPathStart(line);
  if (separator != '/' || start == std::string_view::npos ||
      line.find_first_of("?#", start) != std::string_view::npos) {
    return {};
  }
  const std::string_view path = line.substr(start);
  if (path.find('%') == std::string_view::npos) return {EntryForm::kUri, {}, path};
  scratch.clear();
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') {
      scratch += path[i];
      continue;
    }
    const int high = i + 2 < path.size() ? HexValue(path[i + 1]) : -1;
    const int low = high < 0 ? -1 : HexValue(path[i + 2]);
    if (low < 0 || (high == 0 && low == 0)) return {};
    scratch += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return {EntryForm::kUri, {}, scratch};
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

std::string WritePlaylistEntry(std::string_view old_line, EntryForm form, std::string_view new_path,
                               std::string_view folder, char separator) {
  switch (form) {
    case EntryForm::kRelative: {
      const std::string relative = RelativePath(folder, new_path, separator);
      const bool dot_kept = old_line.starts_with('.') && old_line.size() > 1 &&
                            old_line[1] == separator && !relative.starts_with("..");
      return dot_kept ? std::string(".") + separator + relative : relative;
    }
    case EntryForm::kUri:
      return std::string(old_line.substr(0, FileUriPathStart(old_line))) + PercentEncoded(new_path);
    default:
      return std::string(new_path);
  }
}

std::optional<std::string> EntryNaming(std::string_view line, std::string_view path,
                                       std::string_view folder, char separator) {
  std::string scratch;
  const EntryForm form = ReadPlaylistEntry(line, folder, separator, scratch).form;
  if (form == EntryForm::kNone) return std::nullopt;
  return WritePlaylistEntry(line, form, path, folder, separator);
}

}  // namespace quillfold
