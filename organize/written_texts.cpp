#include "organize/written_texts.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

namespace quillfold {

void WrittenTexts::Clear() {
  const std::lock_guard lock(growing_);
  bytes_.reset();
  entries_.reset();
  byte_capacity_ = bytes_used_ = entry_capacity_ = count_ = 0;
}

std::uint32_t WrittenTexts::Add(std::string_view text, std::uint32_t by) {
  Grow(bytes_, byte_capacity_, bytes_used_, bytes_used_ + text.size());
  Grow(entries_, entry_capacity_, count_ + 1, count_ + 2);
  if (count_ == 0) entries_[0].start = 0;
  // An empty text may come before the block exists.
  if (!text.empty()) std::memcpy(bytes_.get() + bytes_used_, text.data(), text.size());
  bytes_used_ += text.size();
  entries_[count_].by = by;
  entries_[count_ + 1].start = bytes_used_;
  return static_cast<std::uint32_t>(count_++);
}

std::string_view WrittenTexts::Text(std::uint32_t index) const {
  const std::size_t start = entries_[index].start;
  return {bytes_.get() + start, entries_[index + 1].start - start};
}

// Doubles the block until `needed` elements fit, keeping the `used` first.
// Only the pointer readers follow changes under the lock: the elements
// added later lie past every one a reader was given.
template <typename T>
void WrittenTexts::Grow(std::unique_ptr<T[]>& block, std::size_t& capacity, std::size_t used,
                        std::size_t needed) {
  if (needed <= capacity) return;
  const std::size_t new_capacity = std::max({needed, capacity * 2, std::size_t{4096}});
  auto grown = std::make_unique_for_overwrite<T[]>(new_capacity);
  if (block) std::memcpy(grown.get(), block.get(), used * sizeof(T));
  std::unique_ptr<T[]> old;
  {
    const std::lock_guard lock(growing_);
    old = std::exchange(block, std::move(grown));
    capacity = new_capacity;
  }
}

}  // namespace quillfold
