#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillfold::bench {

// One text frame of a generated ID3v2 tag: its four-letter id and its text
// in UTF-8.
struct Id3v2TextFrame {
  std::string id;
  std::string text;
};

// A generated ID3v2 tag, written as taggers commonly write one.
struct Id3v2Spec {
  // 3: texts in UTF-16 with a byte-order mark, sizes as plain integers (as
  // iTunes and id3lib write); 4: texts in UTF-8, syncsafe sizes (as mutagen
  // and eyeD3 write).
  int major = 4;
  std::vector<Id3v2TextFrame> frames;
  // An APIC frame (a JPEG cover) of this many bytes before the text frames,
  // where some taggers put it; none when 0.
  std::size_t picture_bytes = 0;
  std::size_t padding = 0;  // zero bytes after the frames, inside the tag
};

// The bytes of the tag `spec` describes, header included.
std::string EncodeId3v2(const Id3v2Spec& spec);

}  // namespace quillfold::bench
