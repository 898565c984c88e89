#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string_view>

namespace quillfold {

// The texts that moves wrote into playlist lines, end to end in one block
// rather than a string each (every written line is visited at random several
// times), each with the journal number of the move that wrote it.
//
// One thread adds texts while others read those added before: the run's
// thread follows the moves through the next playlists while writers save
// the ones already followed. A text once added stays where it is until the
// block must grow; growing waits until no other thread is reading, so a
// reader holds Reading() while it looks at texts, and only the adding
// thread may look without it.
class WrittenTexts {
 public:
  static constexpr std::uint32_t kNoMove = 0xFFFFFFFF;

  void Clear();
  // Keeps `text` as the next text, written by move `by`; returns its index.
  std::uint32_t Add(std::string_view text, std::uint32_t by);
  std::size_t size() const { return count_; }
  std::string_view Text(std::uint32_t index) const;
  std::uint32_t By(std::uint32_t index) const { return entries_[index].by; }
  // Keeps the block where it is while held. The adding thread may hold it
  // too, but never while it adds a text: it would wait for itself.
  std::shared_lock<std::shared_mutex> Reading() const { return std::shared_lock(growing_); }

 private:
  struct Entry {
    std::size_t start;  // of this text; the next entry's start is its end
    std::uint32_t by;
  };
  template <typename T>
  void Grow(std::unique_ptr<T[]>& block, std::size_t& capacity, std::size_t used,
            std::size_t needed);

  std::unique_ptr<char[]> bytes_;
  std::size_t byte_capacity_ = 0;
  std::size_t bytes_used_ = 0;
  // count_ + 1 entries in use: the last holds only where the last text ends.
  std::unique_ptr<Entry[]> entries_;
  std::size_t entry_capacity_ = 0;
  std::size_t count_ = 0;
  mutable std::shared_mutex growing_;
};

}  // namespace quillfold
