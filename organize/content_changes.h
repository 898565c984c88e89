#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// One stretch of a file's new content that stands where `old_bytes` stood.
struct ChangedStretch {
  std::size_t offset = 0;  // in the new content
  std::size_t length = 0;  // in the new content
  std::string old_bytes;
  bool operator==(const ChangedStretch&) const = default;
};

// What a journal keeps of a replacement: the new content's size and hash,
// and the stretches that give back the old content from it.
struct ContentChange {
  std::size_t new_size = 0;
  std::uint64_t new_hash = 0;
  std::vector<ChangedStretch> stretches;
};

// The old content, from the new one and its changed stretches.
std::string OldContent(std::string_view new_bytes, const std::vector<ChangedStretch>& stretches);

// A 64-bit FNV-1a hash of `bytes`: tells a content from another it is
// compared with, not from one made to collide. `hash` carries on from the
// hash of the bytes before `bytes`, so content in pieces hashes as a whole.
inline constexpr std::uint64_t kContentHashStart = 14695981039346656037ULL;
std::uint64_t ContentHash(std::string_view bytes, std::uint64_t hash = kContentHashStart);

}  // namespace quillfold
