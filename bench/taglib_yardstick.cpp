#include "bench/taglib_yardstick.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quillfold::bench {
namespace {

std::vector<std::string> Mp3Files(const std::string& base) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(base, error), end; it != end;
       it.increment(error)) {
    if (error) throw std::runtime_error("cannot list below \"" + base + "\": " + error.message());
    if (it->is_regular_file(error) && it->path().extension() == ".mp3") {
      files.push_back(it->path());
    }
  }
  return files;
}

// What the placement reads of one file, so that nothing is left unread.
std::size_t ReadTag(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  const TagLib::Tag* tag = file.tag();
  if (tag == nullptr) return 0;
  std::size_t read = tag->title().size() + tag->artist().size() + tag->album().size() +
                     tag->genre().size() + tag->track();
  if (TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag()) {
    read += id3v2->frameListMap()["TPE2"].size() + id3v2->frameListMap()["TPOS"].size();
  }
  return read;
}

}  // namespace

double ReadTagsWithTagLib(const std::string& base, int threads) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> files = Mp3Files(base);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> read{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < std::max(threads, 1); ++i) {
    workers.emplace_back([&] {
      for (std::size_t index = next++; index < files.size(); index = next++) {
        read += ReadTag(files[index]);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  if (read == 0 && !files.empty()) throw std::runtime_error("TagLib read no tag");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace quillfold::bench
