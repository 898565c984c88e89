#include "tags/id3v2_text.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "tags/genre_table.h"
#include "text/ascii.h"

namespace quillfold {
namespace {

constexpr std::int32_t kReplacementCharacter = 0xFFFD;

enum class TextEncoding : std::uint8_t { kLatin1 = 0, kUtf16 = 1, kUtf16BigEndian = 2, kUtf8 = 3 };

void AppendCodePoint(std::string& text, std::int32_t code_point) {
  if (code_point < 0x80) {
    text += static_cast<char>(code_point);
    return;
  }
  std::array<utf8proc_uint8_t, 4> bytes{};
  const utf8proc_ssize_t length = utf8proc_encode_char(code_point, bytes.data());
  text.append(reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(length));
}

std::string_view UpToNul(std::span<const std::uint8_t> bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return {reinterpret_cast<const char*>(bytes.data()),
          static_cast<std::size_t>(end - bytes.begin())};
}

std::string FromUtf8(std::span<const std::uint8_t> bytes) {
  const std::string_view text = UpToNul(bytes);
  if (IsAscii(text)) return std::string(text);
  std::string decoded;
  const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  auto left = static_cast<utf8proc_ssize_t>(text.size());
  while (left > 0) {
    utf8proc_int32_t code_point = 0;
    const utf8proc_ssize_t length = utf8proc_iterate(at, left, &code_point);
    // A broken sequence costs one byte and leaves one replacement character.
    const utf8proc_ssize_t used = length > 0 ? length : 1;
    AppendCodePoint(decoded, length > 0 ? code_point : kReplacementCharacter);
    at += used;
    left -= used;
  }
  return decoded;
}

std::string FromUtf16(std::span<const std::uint8_t> bytes, bool big_endian) {
  std::string decoded;
  std::int32_t high_surrogate = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int unit = big_endian ? bytes[i] << 8 | bytes[i + 1] : bytes[i + 1] << 8 | bytes[i];
    if (unit == 0) break;
    const bool is_high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool is_low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high_surrogate != 0 && is_low) {
      AppendCodePoint(decoded, 0x10000 + ((high_surrogate - 0xD800) << 10) + (unit - 0xDC00));
      high_surrogate = 0;
      continue;
    }
    if (high_surrogate != 0) AppendCodePoint(decoded, kReplacementCharacter);
    high_surrogate = is_high ? unit : 0;
    if (!is_high) AppendCodePoint(decoded, is_low ? kReplacementCharacter : unit);
  }
  if (high_surrogate != 0) AppendCodePoint(decoded, kReplacementCharacter);
  return decoded;
}

std::string FromUtf16WithByteOrderMark(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    return FromUtf16(bytes.subspan(2), true);
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) bytes = bytes.subspan(2);
  return FromUtf16(bytes, false);
}

// The whole number `digits` spell, or nullopt.
std::optional<int> WholeNumber(std::string_view digits) {
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
    return std::nullopt;
  }
  return number;
}

std::string NumberedGenre(std::string_view digits) {
  const std::optional<int> number = WholeNumber(digits);
  if (!number || *number > 255) return {};
  return GenreName(static_cast<std::uint8_t>(*number));
}

}  // namespace

std::string Latin1ToUtf8(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (const char c : text) AppendCodePoint(decoded, static_cast<unsigned char>(c));
  return decoded;
}

std::string DecodeTextFrame(std::span<const std::uint8_t> body) {
  if (body.empty()) return {};
  const std::span<const std::uint8_t> text = body.subspan(1);
  switch (static_cast<TextEncoding>(body[0])) {
    case TextEncoding::kLatin1:
      return Latin1ToUtf8(UpToNul(text));
    case TextEncoding::kUtf16:
      return FromUtf16WithByteOrderMark(text);
    case TextEncoding::kUtf16BigEndian:
      return FromUtf16(text, true);
    case TextEncoding::kUtf8:
      return FromUtf8(text);
  }
  std::string unknown;
  AppendCodePoint(unknown, kReplacementCharacter);
  return unknown;
}

std::vector<std::uint8_t> Resynchronised(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> resynchronised;
  resynchronised.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    resynchronised.push_back(bytes[i]);
    if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
  }
  return resynchronised;
}

NumberPair ParseNumberPair(std::string_view text) {
  constexpr int kLargest = 9999;
  const auto part = [](std::string_view digits) {
    const std::optional<int> number = WholeNumber(TrimSpaces(digits));
    return number && *number <= kLargest ? *number : 0;
  };
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) return {part(text), 0};
  return {part(text.substr(0, slash)), part(text.substr(slash + 1))};
}

std::string GenreFromTcon(std::string_view text) {
  if (text.starts_with("((")) return std::string(text.substr(1));
  if (!text.starts_with('(')) {
    const bool all_digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
      return c >= '0' && c <= '9';
    });
    return all_digits ? NumberedGenre(text) : std::string(text);
  }
  const auto close = text.find(')');
  if (close == std::string_view::npos) return std::string(text);
  const std::string_view refinement = text.substr(close + 1);
  if (!refinement.empty()) return GenreFromTcon(refinement);
  const std::string_view inside = text.substr(1, close - 1);
  if (inside == "RX") return "Remix";
  if (inside == "CR") return "Cover";
  return NumberedGenre(inside);
}

}  // namespace quillfold
