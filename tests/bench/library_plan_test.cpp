#include "bench/library_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "tags/clean_name.h"

namespace quillfold::bench {
namespace {

LibraryShape SmallShape() {
  LibraryShape shape;
  shape.files = 4000;
  shape.playlists = 30;
  shape.min_playlist_lines = 40;
  shape.max_playlist_lines = 60;
  shape.hidden_files = 25;
  shape.links = 6;
  shape.empty_chains = 12;
  shape.seed = 7;
  return shape;
}

std::vector<std::string> Paths(const LibraryPlan& plan) {
  std::vector<std::string> paths;
  for (const auto& file : plan.files) paths.push_back(file.relative);
  return paths;
}

TEST(LibraryPlanTest, OneSeedGivesOneLibrary) {
  LibraryShape other = SmallShape();
  other.seed = 8;
  EXPECT_EQ(Paths(PlanLibrary(SmallShape())), Paths(PlanLibrary(SmallShape())));
  EXPECT_NE(Paths(PlanLibrary(SmallShape())), Paths(PlanLibrary(other)));
}

// Every count of the shape holds exactly, no two files share a path (the
// writer would overwrite one) and the empty folders stay empty.
TEST(LibraryPlanTest, TreeIsMessyButWithinItsShape) {
  const LibraryPlan plan = PlanLibrary(SmallShape());
  ASSERT_EQ(plan.files.size(), 4000u);
  std::set<std::string> unique;
  std::map<std::string, int> per_folder;
  std::set<long> depths;
  int hidden = 0;
  for (const auto& file : plan.files) {
    const auto slash = file.relative.rfind('/');
    EXPECT_TRUE(unique.insert(file.relative).second) << file.relative;
    depths.insert(std::count(file.relative.begin(), file.relative.end(), '/'));
    ++per_folder[slash == std::string::npos ? "" : file.relative.substr(0, slash)];
    hidden += file.relative[slash + 1] == '.';
  }
  EXPECT_EQ(depths, (std::set<long>{0, 1, 2, 3, 4}));
  EXPECT_EQ(hidden, 25);
  EXPECT_EQ(plan.links.size(), 6u);
  EXPECT_GE(plan.empty_folders.size(), 12u);
  for (const auto& folder : plan.empty_folders) EXPECT_FALSE(per_folder.contains(folder)) << folder;
  ASSERT_EQ(plan.playlists.size(), 30u);
  for (const auto& playlist : plan.playlists) {
    EXPECT_GE(playlist.entries.size(), 40u) << playlist.relative;
    EXPECT_LE(playlist.entries.size(), 60u) << playlist.relative;
    EXPECT_TRUE(playlist.relative.ends_with(".m3u")) << playlist.relative;
  }
}

// Percent of files whose tag `holds`.
template <typename Predicate>
double Share(const LibraryPlan& plan, Predicate holds) {
  const auto count = std::count_if(plan.files.begin(), plan.files.end(),
                                   [&](const PlannedFile& file) { return holds(file.tag); });
  return 100.0 * static_cast<double>(count) / static_cast<double>(plan.files.size());
}

// The whole-run tests rely on every kind of spoilt tag, on titles that
// cleaning changes and on files that aim at the same place.
TEST(LibraryPlanTest, TagsHoldEveryKindOfMess) {
  const LibraryPlan plan = PlanLibrary(SmallShape());
  const std::pair<const char*, double> about_five[] = {
      {"untagged", Share(plan, [](auto& t) { return !t.tagged; })},
      {"no artist", Share(plan, [](auto& t) { return t.fields.artist.empty(); })},
      {"no album", Share(plan, [](auto& t) { return t.fields.album.empty(); })},
      {"no title", Share(plan, [](auto& t) { return t.fields.title.empty(); })},
      {"no track", Share(plan, [](auto& t) { return t.fields.track == 0; })},
  };
  for (const auto& [what, share] : about_five) {
    EXPECT_GT(share, 3.5) << what;
    EXPECT_LT(share, 7.0) << what;
  }
  EXPECT_GT(Share(plan, [](auto& t) { return t.fields.genre == 24; }), 1.0) << "Soundtrack";
  EXPECT_GT(Share(plan, [](auto& t) { return t.fields.genre == 123; }), 0.5) << "A Capella";
  EXPECT_GT(Share(plan, [](auto& t) { return CleanName(t.fields.title) != t.fields.title; }), 5.0);
  std::map<std::tuple<std::string, std::string, int, std::string>, int> places;
  int colliding = 0;
  for (const auto& file : plan.files) {
    const TagFields& f = file.tag.fields;
    if (!file.tag.tagged || f.artist.empty() || f.album.empty() || f.title.empty()) continue;
    colliding += ++places[{f.artist, f.album, f.track, f.title}] == 2;
  }
  EXPECT_GE(colliding, 20);
}

}  // namespace
}  // namespace quillfold::bench
