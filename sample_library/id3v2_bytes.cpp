#include "sample_library/id3v2_bytes.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdint>

namespace quillfold::bench {
namespace {

void AppendUtf16LittleEndian(std::string& out, utf8proc_int32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// UTF-8 `text` as UTF-16LE after a byte-order mark, surrogate pairs and all.
std::string Utf16WithByteOrderMark(const std::string& text) {
  std::string out = "\xFF\xFE";
  const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  auto left = static_cast<utf8proc_ssize_t>(text.size());
  while (left > 0) {
    utf8proc_int32_t code_point = 0;
    const utf8proc_ssize_t length = utf8proc_iterate(at, left, &code_point);
    if (length <= 0) break;
    if (code_point >= 0x10000) {
      AppendUtf16LittleEndian(out, 0xD800 + ((code_point - 0x10000) >> 10));
      AppendUtf16LittleEndian(out, 0xDC00 + ((code_point - 0x10000) & 0x3FF));
    } else {
      AppendUtf16LittleEndian(out, code_point);
    }
    at += length;
    left -= length;
  }
  return out;
}

std::string Frame(const std::string& id, const std::string& body, int major) {
  if (major == 2) return id + Id3v2SizeBytes(body.size(), false).substr(1) + body;
  return id + Id3v2SizeBytes(body.size(), major == 4) + std::string(2, '\0') + body;
}

// A 0 after every 0xFF, so that no byte pattern looks like an MPEG sync.
std::string Unsynchronised(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    out += c;
    if (c == '\xFF') out += '\0';
  }
  return out;
}

std::string ExtendedHeader(int major) {
  // ID3v2.3 counts its size without its own four bytes, ID3v2.4 with them.
  if (major == 3) return Id3v2SizeBytes(6, false) + std::string(6, '\0');
  return Id3v2SizeBytes(6, true) + std::string("\x01\0", 2);
}

std::string Picture(std::size_t size, int major) {
  const std::string head = std::string("\0image/jpeg\0\x03\0", 14) + "\xFF\xD8\xFF\xE0";
  std::string body = head;
  // Cover art is full of 0xFF and high bytes, nothing like text.
  for (std::size_t i = head.size(); i < size; ++i) body += static_cast<char>(0x80 + i % 0x7F);
  body.resize(std::max(size, head.size()));
  return Frame("APIC", body, major);
}

}  // namespace

std::string Id3v2SizeBytes(std::size_t size, bool syncsafe) {
  const int shift = syncsafe ? 7 : 8;
  const std::size_t mask = syncsafe ? 0x7F : 0xFF;
  std::string bytes(4, '\0');
  for (int i = 3; i >= 0; --i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(size & mask);
    size >>= shift;
  }
  return bytes;
}

std::string EncodeId3v2(const Id3v2Layout& layout) {
  std::string frames = layout.extended_header ? ExtendedHeader(layout.major) : "";
  if (layout.picture_bytes > 0) frames += Picture(layout.picture_bytes, layout.major);
  for (const Id3v2TextFrame& frame : layout.frames) {
    const std::string body =
        layout.major == 4 ? "\x03" + frame.text : "\x01" + Utf16WithByteOrderMark(frame.text);
    frames += Frame(frame.id, body, layout.major);
  }
  frames.append(layout.padding, '\0');
  if (layout.unsynchronised) frames = Unsynchronised(frames);
  const int flags = (layout.unsynchronised ? 0x80 : 0) | (layout.extended_header ? 0x40 : 0) |
                    (layout.footer ? 0x10 : 0);
  // The footer repeats the header but for its first three bytes.
  const std::string header_end =
      std::string{static_cast<char>(layout.major), '\0', static_cast<char>(flags)} +
      Id3v2SizeBytes(frames.size(), true);
  return "ID3" + header_end + frames + (layout.footer ? "3DI" + header_end : "");
}

}  // namespace quillfold::bench
