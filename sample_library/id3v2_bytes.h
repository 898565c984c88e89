#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillfold::bench {

// One text frame of a generated ID3v2 tag: its id (three letters for
// ID3v2.2, four otherwise) and its text in UTF-8.
struct Id3v2TextFrame {
  std::string id;
  std::string text;
};

// A generated ID3v2 tag, written as taggers commonly write one.
struct Id3v2Layout {
  // 2 and 3: texts in UTF-16 with a byte-order mark, sizes as plain
  // integers (as iTunes and id3lib write); 4: texts in UTF-8, syncsafe sizes
  // (as mutagen and eyeD3 write).
  int major = 4;
  std::vector<Id3v2TextFrame> frames{};
  // An APIC frame (a JPEG cover; ID3v2.3 and 2.4) of this many bytes before the text frames,
  // where some taggers put it; none when 0.
  std::size_t picture_bytes = 0;
  std::size_t padding = 0;       // zero bytes after the frames, inside the tag
  bool extended_header = false;  // ID3v2.3 and 2.4 only
  bool unsynchronised = false;   // the whole tag, as ID3v2.2 and 2.3 do it
  bool footer = false;  // ID3v2.4 only: a "3DI" footer closes the tag, as when it is appended
};

// `size` as the four bytes of an ID3v2 size field: seven bits a byte when
// `syncsafe` (as ID3v2.4 writes sizes), else a plain big-endian integer.
std::string Id3v2SizeBytes(std::size_t size, bool syncsafe);

// The bytes of the tag `layout` describes, header included.
std::string EncodeId3v2(const Id3v2Layout& layout);

}  // namespace quillfold::bench
