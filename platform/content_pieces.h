#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace quillfold {

// Takes one piece of a content being written; false stops the writing.
using PieceWriter = std::function<bool(std::string_view piece)>;

// A file's new content, handed over in pieces so that a large one is never
// held whole in memory beside what it is made from.
struct ContentPieces {
  std::size_t size = 0;  // the length of the whole content
  // Hands every piece of the content to `write` in order (`size` bytes in
  // all), stopping at the first false; returns whether every piece was taken.
  std::function<bool(const PieceWriter& write)> write_to;
};

// All of `content` as one piece; `content` must outlive the result's use.
inline ContentPieces WholeContent(std::string_view content) {
  return {content.size(), [content](const PieceWriter& write) { return write(content); }};
}

}  // namespace quillfold
