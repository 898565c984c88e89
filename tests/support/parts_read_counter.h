#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace quillfold::testing {

// Forwards every call and notes where each read of a file's parts began,
// from any thread.
class PartsReadCounter final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  PartsRead ReadOrdinaryFileParts(const std::string& path, std::uint64_t offset,
                                  std::span<std::uint8_t> head,
                                  std::span<std::uint8_t> tail) override {
    {
      const std::lock_guard lock(mutex_);
      offsets_.push_back(offset);
    }
    return inner_.ReadOrdinaryFileParts(path, offset, head, tail);
  }
  std::vector<std::uint64_t> offsets() const {
    const std::lock_guard lock(mutex_);
    return offsets_;
  }
  std::size_t reads() const { return offsets().size(); }

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint64_t> offsets_;
};

}  // namespace quillfold::testing
