#include "tests/support/mp3_files.h"

#include <algorithm>

namespace quillfold::testing {
namespace {

void PutText(std::string& trailer, std::size_t offset, const std::string& text) {
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 30), trailer.begin() + offset);
}

}  // namespace

std::string TaggedMp3(const TagSpec& tag, const std::string& audio) {
  std::string trailer(128, '\0');
  trailer.replace(0, 3, "TAG");
  PutText(trailer, 3, tag.title);
  PutText(trailer, 33, tag.artist);
  PutText(trailer, 63, tag.album);
  if (tag.track > 0) trailer[126] = static_cast<char>(tag.track);
  trailer[127] = static_cast<char>(tag.genre);
  return audio + trailer;
}

}  // namespace quillfold::testing
