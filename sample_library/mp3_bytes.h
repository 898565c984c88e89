#pragma once

#include <cstdint>
#include <string>

namespace quillfold::bench {

// The tag a generated file carries. Empty texts stay empty in the trailer
// (all NUL), which the reader sees as a missing field; track 0 writes the
// ID3v1.0 layout, any other track the ID3v1.1 layout.
struct TagFields {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string comment;
  int track = 0;  // 0 to 255
  std::uint8_t genre = 0;
};

// The 128-byte ID3v1 trailer for `fields`; texts longer than their field
// are cut.
std::string EncodeId3v1(const TagFields& fields);

// `count` real MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes
// each) of silence, as an audio file starts.
std::string MpegFrames(int count);

}  // namespace quillfold::bench
