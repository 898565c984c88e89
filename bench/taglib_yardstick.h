#pragma once

#include <string>

namespace quillfold::bench {

// The ID3v2 yardstick: walks the tree below `base` (without following
// links) and reads the tag of every .mp3 with TagLib, `threads` files at
// once, each thread taking the next file, audio properties not read. The
// seconds taken; throws std::runtime_error when a folder cannot be listed.
double ReadTagsWithTagLib(const std::string& base, int threads);

}  // namespace quillfold::bench
