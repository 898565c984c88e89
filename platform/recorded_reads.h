#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace quillfold {

// One ReadOrdinaryFileParts call and what it gave.
struct RecordedRead {
  std::uint64_t offset = 0;
  std::size_t head_size = 0;  // as asked for
  std::size_t tail_size = 0;
  PartsRead result;
  std::vector<std::uint8_t> head;  // the bytes put into the head
  std::vector<std::uint8_t> tail;
};

// Forwards every call and keeps each ReadOrdinaryFileParts call with its
// bytes, so that a reader run ahead of need on a worker can be replayed on
// the run's own thread.
class RecordingFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override;

  std::vector<RecordedRead> reads;
};

// Serves a ReadOrdinaryFileParts call from `reads` when one of them was the
// same call (offset and sizes): true, with `head`, `tail` and `result` as it
// gave them. False leaves them untouched.
bool Replay(const std::vector<RecordedRead>& reads, std::uint64_t offset,
            std::span<std::uint8_t> head, std::span<std::uint8_t> tail, PartsRead& result);

}  // namespace quillfold
