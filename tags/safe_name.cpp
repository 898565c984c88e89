#include "tags/safe_name.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::string_view kUnsafeCharacters = "/\\:*?\"<>|";

constexpr std::array<std::string_view, 22> kDeviceNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsDropped(utf8proc_int32_t code_point) {
  if (utf8proc_category(code_point) == UTF8PROC_CATEGORY_CC) return true;
  return code_point < 0x80 &&
         kUnsafeCharacters.find(static_cast<char>(code_point)) != std::string_view::npos;
}

// `text` without the dropped characters; a byte that begins no character
// (never met in text the tag decoders made) is dropped too.
std::string WithoutDropped(std::string_view text) {
  std::string kept;
  if (IsAscii(text)) {
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return !IsDropped(c); });
    return kept;
  }
  const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  const auto* const end = at + text.size();
  while (at < end) {
    utf8proc_int32_t code_point = 0;
    const utf8proc_ssize_t length = utf8proc_iterate(at, end - at, &code_point);
    if (length <= 0) {
      ++at;
      continue;
    }
    if (!IsDropped(code_point)) kept.append(reinterpret_cast<const char*>(at), length);
    at += length;
  }
  return kept;
}

// Dropping first, so that a character the drop brings together with a
// combining mark is composed too. Most names are ASCII, which needs no
// composing.
std::string Normalised(std::string_view text) {
  const std::string kept = WithoutDropped(text);
  if (IsAscii(kept)) return kept;
  utf8proc_uint8_t* composed = nullptr;
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(kept.data()),
                   static_cast<utf8proc_ssize_t>(kept.size()), &composed,
                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  const std::unique_ptr<utf8proc_uint8_t, void (*)(void*)> owned(composed, std::free);
  // Only running out of memory fails here: the name stays as it was.
  if (length < 0) return kept;
  return {reinterpret_cast<const char*>(composed), static_cast<std::size_t>(length)};
}

std::string_view WithoutOuterDotsAndSpaces(std::string_view name) {
  const auto outer = [](char c) { return c == '.' || c == ' '; };
  while (!name.empty() && outer(name.front())) name.remove_prefix(1);
  while (!name.empty() && outer(name.back())) name.remove_suffix(1);
  return name;
}

// "CON" -> "CON_", "nul.x" -> "nul_.x": Windows takes those for devices.
std::string WithoutDeviceName(std::string name) {
  const std::size_t dot = std::min(name.find('.'), name.size());
  const std::string base = AsciiUpper(TrimSpaces(std::string_view(name).substr(0, dot)));
  if (std::find(kDeviceNames.begin(), kDeviceNames.end(), base) == kDeviceNames.end()) return name;
  // Built by appending: g++ 12 at -O3 takes insert() for an overlapping copy.
  std::string marked = name.substr(0, dot);
  marked += '_';
  marked.append(name, dot);
  return marked;
}

// `name` cut to at most `limit` bytes without splitting a character.
std::string_view CutAtCharacter(std::string_view name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

std::string SafeStem(std::string_view text, std::size_t limit) {
  const std::string normalised = Normalised(text);
  std::string_view name = WithoutOuterDotsAndSpaces(normalised);
  name = WithoutOuterDotsAndSpaces(CutAtCharacter(name, limit));
  if (name.empty()) return "_";
  std::string safe = WithoutDeviceName(std::string(name));
  // The underscore may push the name one byte over.
  return std::string(CutAtCharacter(safe, limit));
}

}  // namespace

std::string SafeFolderName(std::string_view text) { return SafeStem(text, kMaxNameBytes); }

std::string SafeFileName(std::string_view stem, std::string_view extension) {
  return SafeStem(stem, kMaxNameBytes - extension.size()) + std::string(extension);
}

}  // namespace quillfold
