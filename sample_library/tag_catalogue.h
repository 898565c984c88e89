#pragma once

#include <vector>

#include "sample_library/mp3_bytes.h"
#include "sample_library/seeded_random.h"

namespace quillfold::bench {

// One generated file's trailer: a tag, or 128 bytes that are not one.
struct PlannedTag {
  bool tagged = true;
  TagFields fields;
};

// How the tags of a generated library are mixed, in percent of the files.
struct TagMix {
  int untagged = 5;
  int missing_artist = 5;
  int missing_album = 5;
  int missing_title = 5;
  int missing_track = 5;
  int dirty_title = 10;  // titles holding characters that name cleaning drops
  int soundtrack = 3;    // albums filed under the genre "Soundtrack"
  int a_capella = 2;     // albums filed under the genre "A Capella"
  int duplicates = 2;    // the same artist, album, track and title as another file
};

// Tags for `count` files: a few hundred artists with albums of 8 to 15
// tracks, then spoilt as `mix` says. The order is random.
std::vector<PlannedTag> PlanTags(SeededRandom& random, int count, const TagMix& mix = {});

// A name of one to three words from a fixed word list, capitalised, for
// artists, albums, titles and folders alike.
std::string WordsName(SeededRandom& random, int max_words);

}  // namespace quillfold::bench
