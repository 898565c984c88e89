#include <cstdio>
#include <cstdlib>
#include <utility>

#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {

void FuzzCheck(bool holds, std::string_view rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz rule broken: %.*s\n", static_cast<int>(rule.size()), rule.data());
  std::abort();
}

FuzzTarget FindFuzzTarget(std::string_view name) {
  static constexpr std::pair<std::string_view, FuzzTarget> kTargets[] = {
      {"decode_track_tag", FuzzDecodeTrackTag},
      {"clean_name", FuzzCleanName},
      {"parse_hive", FuzzParseHive},
      {"split_playlist_lines", FuzzSplitPlaylistLines},
      {"read_id3v2", FuzzReadId3v2},
      {"parse_journal", FuzzParseJournal},
  };
  for (const auto& [target_name, target] : kTargets) {
    if (target_name == name) return target;
  }
  return nullptr;
}

}  // namespace quillfold::fuzz
