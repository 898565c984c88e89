#include "organize/content_changes.h"

#include <algorithm>

namespace quillfold {

std::string OldContent(std::string_view new_bytes, const std::vector<ChangedStretch>& stretches) {
  std::string old;
  std::size_t from = 0;
  for (const ChangedStretch& stretch : stretches) {
    old.append(new_bytes.substr(from, stretch.offset - from));
    old += stretch.old_bytes;
    from = stretch.offset + stretch.length;
  }
  old.append(new_bytes.substr(std::min(from, new_bytes.size())));
  return old;
}

std::uint64_t ContentHash(std::string_view bytes, std::uint64_t hash) {
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ULL;
  return hash;
}

}  // namespace quillfold
