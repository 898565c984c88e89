#include "sample_library/tag_catalogue.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quillfold::bench {
namespace {

constexpr std::array<std::string_view, 64> kWords = {
    "amber",  "anchor", "april",   "ash",     "autumn",  "blue",   "bright", "broken",
    "candle", "city",   "cold",    "copper",  "crown",   "dance",  "dawn",   "deep",
    "desert", "dream",  "dust",    "echo",    "ember",   "field",  "fire",   "flight",
    "forest", "garden", "ghost",   "glass",   "gold",    "harbor", "heart",  "hollow",
    "iron",   "island", "june",    "lantern", "light",   "lost",   "marble", "midnight",
    "mirror", "moon",   "morning", "night",   "north",   "ocean",  "paper",  "quiet",
    "rain",   "river",  "road",    "rose",    "salt",    "shadow", "silver", "sky",
    "song",   "stone",  "storm",   "summer",  "thunder", "velvet", "winter", "wolf"};

// Characters that name cleaning drops; they make titles and artists
// realistic (AC/DC, "Who Knows?", "Intro: Part 1", accented letters).
constexpr std::array<std::string_view, 8> kDirt = {"?", ":", "/", "\"", "*", "\xC3\xA9", "+", "|"};

constexpr std::uint8_t kSoundtrack = 24;
constexpr std::uint8_t kACapella = 123;

struct Album {
  std::string artist;
  std::string title;
  std::uint8_t genre;
  int tracks;
};

std::uint8_t AlbumGenre(SeededRandom& random, const TagMix& mix) {
  const auto roll = static_cast<int>(random.Below(100));
  if (roll < mix.soundtrack) return kSoundtrack;
  if (roll < mix.soundtrack + mix.a_capella) return kACapella;
  // Mostly named genres, now and then one the table has no name for.
  return random.Percent(5) ? static_cast<std::uint8_t>(random.Between(148, 255))
                           : static_cast<std::uint8_t>(random.Below(80));
}

std::vector<Album> PlanAlbums(SeededRandom& random, int track_count, const TagMix& mix) {
  std::vector<std::string> artists(static_cast<std::size_t>(random.Between(300, 500)));
  for (auto& artist : artists) artist = WordsName(random, 3);
  std::vector<Album> albums;
  for (int tracks = 0; tracks < track_count;) {
    Album album{random.Pick(artists), WordsName(random, 3), AlbumGenre(random, mix),
                random.Between(8, 15)};
    tracks += album.tracks;
    albums.push_back(std::move(album));
  }
  return albums;
}

std::string DirtyTitle(SeededRandom& random, std::string title) {
  const auto at = random.Below(title.size() + 1);
  return title.insert(at, random.Pick(kDirt));
}

void Spoil(SeededRandom& random, const TagMix& mix, PlannedTag& tag) {
  if (random.Percent(mix.untagged)) tag.tagged = false;
  if (random.Percent(mix.missing_artist)) tag.fields.artist.clear();
  if (random.Percent(mix.missing_album)) tag.fields.album.clear();
  if (random.Percent(mix.missing_title)) tag.fields.title.clear();
  if (random.Percent(mix.missing_track)) tag.fields.track = 0;
  if (!tag.fields.title.empty() && random.Percent(mix.dirty_title)) {
    tag.fields.title = DirtyTitle(random, tag.fields.title);
  }
}

}  // namespace

std::string WordsName(SeededRandom& random, int max_words) {
  std::string name;
  const int words = random.Between(1, max_words);
  for (int i = 0; i < words; ++i) {
    std::string word(random.Pick(kWords));
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    name += (i ? " " : "") + word;
  }
  return name;
}

std::vector<PlannedTag> PlanTags(SeededRandom& random, int count, const TagMix& mix) {
  std::vector<PlannedTag> tags;
  if (count <= 0) return tags;
  tags.reserve(static_cast<std::size_t>(count));
  for (const Album& album : PlanAlbums(random, count, mix)) {
    for (int track = 1; track <= album.tracks; ++track) {
      TagFields fields{WordsName(random, 4),
                       album.artist,
                       album.title,
                       std::to_string(random.Between(1960, 2025)),
                       "",
                       track,
                       album.genre};
      tags.push_back({true, std::move(fields)});
    }
  }
  for (std::size_t i = tags.size() - 1; i > 0; --i) std::swap(tags[i], tags[random.Below(i + 1)]);
  tags.resize(static_cast<std::size_t>(count));
  // Duplicates copy another file's tag before any is spoilt, so that both
  // aim at the same place unless one of them is spoilt.
  for (auto& tag : tags) {
    if (random.Percent(mix.duplicates)) tag = tags[random.Below(tags.size())];
  }
  for (auto& tag : tags) Spoil(random, mix, tag);
  return tags;
}

}  // namespace quillfold::bench
