#include "platform/recorded_reads.h"

#include <algorithm>

namespace quillfold {

PartsRead RecordingFileSystem::ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                                     std::span<std::uint8_t> head,
                                                     std::span<std::uint8_t> tail) {
  const PartsRead result = inner_.ReadOrdinaryFileParts(path, offset, head, tail);
  RecordedRead& read = reads.emplace_back();
  read.offset = offset;
  read.head_size = head.size();
  read.tail_size = tail.size();
  read.result = result;
  read.head.assign(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(result.head_bytes));
  if (result.tail_read) read.tail.assign(tail.begin(), tail.end());
  return result;
}

bool Replay(const std::vector<RecordedRead>& reads, std::uint64_t offset,
            std::span<std::uint8_t> head, std::span<std::uint8_t> tail, PartsRead& result) {
  const auto same = std::find_if(reads.begin(), reads.end(), [&](const RecordedRead& read) {
    return read.offset == offset && read.head_size == head.size() && read.tail_size == tail.size();
  });
  if (same == reads.end()) return false;
  std::copy(same->head.begin(), same->head.end(), head.begin());
  std::copy(same->tail.begin(), same->tail.end(), tail.begin());
  result = same->result;
  return true;
}

}  // namespace quillfold
