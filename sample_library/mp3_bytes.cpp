#include "sample_library/mp3_bytes.h"

#include <algorithm>

namespace quillfold::bench {
namespace {

constexpr std::size_t kFrameBytes = 417;  // 144 * 128000 / 44100, no padding
// Sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44.1 kHz; joint stereo, original.
constexpr char kFrameHeader[] = {'\xFF', '\xFB', '\x90', '\x44'};

void Put(std::string& trailer, std::size_t offset, const std::string& text, std::size_t width) {
  std::copy_n(text.begin(), std::min(text.size(), width), trailer.begin() + offset);
}

}  // namespace

std::string EncodeId3v1(const TagFields& fields) {
  std::string trailer(128, '\0');
  Put(trailer, 0, "TAG", 3);
  Put(trailer, 3, fields.title, 30);
  Put(trailer, 33, fields.artist, 30);
  Put(trailer, 63, fields.album, 30);
  Put(trailer, 93, fields.year, 4);
  if (fields.track > 0) {
    Put(trailer, 97, fields.comment, 28);
    trailer[125] = '\0';
    trailer[126] = static_cast<char>(fields.track);
  } else {
    Put(trailer, 97, fields.comment, 30);
  }
  trailer[127] = static_cast<char>(fields.genre);
  return trailer;
}

std::string MpegFrames(int count) {
  std::string frames;
  frames.reserve(kFrameBytes * static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    std::string frame(kFrameBytes, '\0');
    std::copy(std::begin(kFrameHeader), std::end(kFrameHeader), frame.begin());
    frames += frame;
  }
  return frames;
}

}  // namespace quillfold::bench
