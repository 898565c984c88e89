#include "settings/hive_format.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

#include "settings/registry.h"

namespace quillfold {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::int32_t kRegBinary = 3;

// Thrown inside the parser only; ParseHive turns it into ParsedHive::error.
struct SyntaxError {
  std::string message;
};

std::optional<std::uint32_t> HexNumber(std::string_view digits, std::size_t max_digits) {
  if (digits.empty() || digits.size() > max_digits) return std::nullopt;
  std::uint32_t number = 0;
  for (const char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    number = number * 16 + static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::string LittleEndianBytes(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return bytes;
}

std::uint32_t FromLittleEndian(std::string_view bytes) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return number;
}

// Reads a quoted text at the start of `rest` and moves `rest` past it.
std::string TakeQuoted(std::string_view& rest) {
  if (!rest.starts_with('"')) throw SyntaxError{"expected a quoted text"};
  std::string text;
  std::size_t i = 1;
  for (; i < rest.size() && rest[i] != '"'; ++i) {
    if (rest[i] != '\\') {
      text += rest[i];
    } else if (i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) {
      text += rest[++i];
    } else if (i + 1 < rest.size() && rest[i + 1] == 'x') {
      const auto byte = HexNumber(rest.substr(i + 2, 2), 2);
      if (!byte || rest.substr(i + 2, 2).size() != 2) throw SyntaxError{"bad \\x escape"};
      text += static_cast<char>(*byte);
      i += 3;
    } else {
      throw SyntaxError{"unknown escape after a backslash"};
    }
  }
  if (i >= rest.size()) throw SyntaxError{"missing closing quote"};
  rest.remove_prefix(i + 1);
  return text;
}

std::string HexBytes(std::string_view list) {
  std::string bytes;
  while (!list.empty()) {
    const auto byte = HexNumber(list.substr(0, 2), 2);
    if (!byte || list.size() < 2) throw SyntaxError{"expected two hex digits per byte"};
    bytes += static_cast<char>(*byte);
    list.remove_prefix(2);
    if (list.empty()) break;
    if (!list.starts_with(',') || list.size() == 1) throw SyntaxError{"bad byte list"};
    list.remove_prefix(1);
  }
  return bytes;
}

// The type and bytes of the data part of a value line.
std::pair<std::int32_t, std::string> ParseData(std::string_view data) {
  if (data.starts_with('"')) {
    std::string text = TakeQuoted(data);
    if (!data.empty()) throw SyntaxError{"text after the closing quote"};
    return {REG_SZ, std::move(text)};
  }
  if (data.starts_with("dword:")) {
    const auto number = HexNumber(data.substr(6), 8);
    if (!number) throw SyntaxError{"dword: needs 1 to 8 hex digits"};
    return {REG_DWORD, LittleEndianBytes(*number)};
  }
  if (data.starts_with("hex:")) return {kRegBinary, HexBytes(data.substr(4))};
  const auto close = data.find("):");
  if (data.starts_with("hex(") && close != std::string_view::npos) {
    const auto type = HexNumber(data.substr(4, close - 4), 8);
    if (!type) throw SyntaxError{"hex(N) needs a type of 1 to 8 hex digits"};
    return {static_cast<std::int32_t>(*type), HexBytes(data.substr(close + 2))};
  }
  throw SyntaxError{"unknown data form"};
}

class HiveParser {
 public:
  explicit HiveParser(std::string_view root_name) : root_name_(root_name) {}

  void ParseLine(std::string_view line) {
    if (line.empty() || line.starts_with(';')) return;
    if (line.starts_with('[')) {
      ParseSection(line);
    } else {
      ParseValue(line);
    }
  }

  Hive TakeHive() { return std::move(hive_); }

 private:
  void ParseSection(std::string_view line) {
    if (!line.ends_with(']')) throw SyntaxError{"section line without a closing ]"};
    const std::string_view full = line.substr(1, line.size() - 2);
    std::string_view path;
    if (!SameRegistryName(full, root_name_)) {
      if (full.size() <= root_name_.size() + 1 ||
          !SameRegistryName(full.substr(0, root_name_.size()), root_name_) ||
          full[root_name_.size()] != '\\') {
        throw SyntaxError{"section outside " + std::string(root_name_)};
      }
      path = full.substr(root_name_.size() + 1);
    }
    if (!IsValidKeyPath(path)) throw SyntaxError{"malformed key path"};
    current_ = EnsureKey(hive_, path).path;
  }

  void ParseValue(std::string_view line) {
    if (!current_) throw SyntaxError{"value line before the first section"};
    std::string name;
    if (line.starts_with('@')) {
      line.remove_prefix(1);
    } else {
      name = TakeQuoted(line);
    }
    if (!line.starts_with('=')) throw SyntaxError{"expected = after the value name"};
    auto [type, data] = ParseData(line.substr(1));
    StoreValue(EnsureKey(hive_, *current_), HiveValue{std::move(name), type, std::move(data)});
  }

  std::string_view root_name_;
  Hive hive_;
  std::optional<std::string> current_;  // the path of the latest section
};

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendData(std::string& out, const HiveValue& value) {
  char number[16];
  if (value.type == REG_SZ) {
    AppendQuoted(out, value.data);
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    std::snprintf(number, sizeof number, "dword:%08x", FromLittleEndian(value.data));
    out += number;
  } else {
    std::snprintf(number, sizeof number, "hex(%x):", static_cast<std::uint32_t>(value.type));
    out += number;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
      std::snprintf(number, sizeof number, i == 0 ? "%02x" : ",%02x",
                    static_cast<unsigned char>(value.data[i]));
      out += number;
    }
  }
}

}  // namespace

ParsedHive ParseHive(std::string_view root_name, std::string_view bytes) {
  if (bytes.empty()) return {};
  HiveParser parser(root_name);
  std::size_t line_number = 0;
  try {
    while (!bytes.empty()) {
      const auto end = bytes.find('\n');
      std::string_view line = bytes.substr(0, end);
      bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
      if (line.ends_with('\r')) line.remove_suffix(1);
      if (++line_number == 1) {
        if (line != kHeader) throw SyntaxError{"the first line is not " + std::string(kHeader)};
      } else {
        parser.ParseLine(line);
      }
    }
  } catch (const SyntaxError& error) {
    return {Hive{}, "line " + std::to_string(line_number) + ": " + error.message};
  }
  return {parser.TakeHive(), {}};
}

std::string WriteHive(std::string_view root_name, const Hive& hive) {
  std::string out(kHeader);
  out += '\n';
  for (const HiveKey& key : hive.keys) {
    out += "\n[";
    out += root_name;
    if (!key.path.empty()) out += '\\';
    out += key.path;
    out += "]\n";
    for (const HiveValue& value : key.values) {
      if (value.name.empty()) {
        out += '@';
      } else {
        AppendQuoted(out, value.name);
      }
      out += '=';
      AppendData(out, value);
      out += '\n';
    }
  }
  return out;
}

void PrintTo(const Hive& hive, std::ostream* os) { *os << "\n" << WriteHive("ROOT", hive); }

}  // namespace quillfold
