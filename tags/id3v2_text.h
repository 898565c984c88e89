#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// `text` read as Latin-1 (one byte, one character) and written as UTF-8.
std::string Latin1ToUtf8(std::string_view text);

// The first value of an ID3v2 text frame's body (its encoding byte, then the
// text), as UTF-8. Encodings: 0 Latin-1, 1 UTF-16 with a byte-order mark
// (little-endian without one, as Windows taggers write it), 2 UTF-16BE,
// 3 UTF-8; the value ends at the first terminator (one NUL, or two for
// UTF-16). Bytes that are no character of the encoding (a lone surrogate,
// broken UTF-8, an unknown encoding byte) become U+FFFD. Empty when the body
// is.
std::string DecodeTextFrame(std::span<const std::uint8_t> body);

// `bytes` with the unsynchronisation undone: every 0xFF 0x00 becomes 0xFF.
std::vector<std::uint8_t> Resynchronised(std::span<const std::uint8_t> bytes);

// A position and a count, as TRCK ("3/12") and TPOS ("1/2") give them: each
// the number its digits spell, 0 when missing, not a number (after leading
// spaces), or past 9999.
struct NumberPair {
  int number = 0;
  int count = 0;

  bool operator==(const NumberPair&) const = default;
};
NumberPair ParseNumberPair(std::string_view text);

// The genre name that a TCON value gives: "(17)Rock" -> "Rock" (the text
// refines the number), "(17)" and "17" -> the genre table's name for 17
// ("Rock"), "(RX)" -> "Remix", "(CR)" -> "Cover", "((Text" -> "(Text", any
// other text -> itself. A number past 255 names no genre: empty.
std::string GenreFromTcon(std::string_view text);

}  // namespace quillfold
