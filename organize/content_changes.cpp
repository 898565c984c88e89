#include "organize/content_changes.h"

#include <algorithm>

namespace quillfold {
namespace {

std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
    lines.push_back(bytes.substr(start, end - start));
    start = end;
  }
  return lines;
}

ChangedStretch BetweenCommonEnds(std::string_view old_bytes, std::string_view new_bytes) {
  const std::size_t shorter = std::min(old_bytes.size(), new_bytes.size());
  std::size_t head = 0;
  while (head < shorter && old_bytes[head] == new_bytes[head]) ++head;
  std::size_t tail = 0;
  while (tail < shorter - head &&
         old_bytes[old_bytes.size() - 1 - tail] == new_bytes[new_bytes.size() - 1 - tail]) {
    ++tail;
  }
  return {head, new_bytes.size() - head - tail,
          std::string(old_bytes.substr(head, old_bytes.size() - head - tail))};
}

}  // namespace

std::vector<ChangedStretch> ChangedStretches(std::string_view old_bytes,
                                             std::string_view new_bytes) {
  if (old_bytes == new_bytes) return {};
  const std::vector<std::string_view> old_lines = Lines(old_bytes);
  const std::vector<std::string_view> new_lines = Lines(new_bytes);
  if (old_lines.size() != new_lines.size()) return {BetweenCommonEnds(old_bytes, new_bytes)};
  std::vector<ChangedStretch> stretches;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < new_lines.size(); ++i) {
    if (old_lines[i] != new_lines[i]) {
      stretches.push_back({offset, new_lines[i].size(), std::string(old_lines[i])});
    }
    offset += new_lines[i].size();
  }
  return stretches;
}

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
