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

int Depth(const std::string& path) {
  return static_cast<int>(std::count(path.begin(), path.end(), '/'));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

TEST(LibraryPlanTest, TreeIsMessyButWithinItsShape) {
  const LibraryShape shape = SmallShape();
  const LibraryPlan plan = PlanLibrary(shape);
  ASSERT_EQ(plan.files.size(), 4000u);
  std::set<std::string> unique;
  std::map<std::string, int> per_folder;
  std::set<int> depths;
  int hidden = 0;
  for (const auto& file : plan.files) {
    EXPECT_TRUE(unique.insert(file.relative).second) << file.relative;
    EXPECT_LE(Depth(file.relative), 4) << file.relative;
    depths.insert(Depth(file.relative));
    ++per_folder[FolderOf(file.relative)];
    const auto name = file.relative.substr(file.relative.rfind('/') + 1);
    hidden += name.starts_with('.');
  }
  EXPECT_EQ(depths, (std::set<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(hidden, shape.hidden_files);
  const auto fullest = std::max_element(per_folder.begin(), per_folder.end(),
                                        [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_GE(fullest->second, 100) << "no folder with hundreds of files";
  EXPECT_EQ(plan.links.size(), 6u);
  EXPECT_GE(plan.empty_folders.size(), 12u);
  for (const auto& folder : plan.empty_folders) {
    EXPECT_FALSE(per_folder.contains(folder)) << folder << " is meant to stay empty";
  }
}

TEST(LibraryPlanTest, PlaylistsHoldTheirLineCounts) {
  LibraryShape shape = SmallShape();
  shape.min_playlist_lines = 40;
  shape.max_playlist_lines = 60;
  const LibraryPlan plan = PlanLibrary(shape);
  ASSERT_EQ(plan.playlists.size(), 30u);
  for (const auto& playlist : plan.playlists) {
    EXPECT_GE(playlist.entries.size(), 40u) << playlist.relative;
    EXPECT_LE(playlist.entries.size(), 60u) << playlist.relative;
    EXPECT_TRUE(playlist.relative.ends_with(".m3u")) << playlist.relative;
  }
}

// Percent of files for which `holds` is true.
template <typename Predicate>
double Share(const LibraryPlan& plan, Predicate holds) {
  const auto count = std::count_if(plan.files.begin(), plan.files.end(),
                                   [&](const PlannedFile& file) { return holds(file.tag); });
  return 100.0 * static_cast<double>(count) / static_cast<double>(plan.files.size());
}

TEST(LibraryPlanTest, TagsAreSpoiltInTheGivenProportions) {
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
  EXPECT_GT(Share(plan, [](auto& t) { return CleanName(t.fields.title) != t.fields.title; }), 5.0)
      << "titles with characters that cleaning drops";
}

TEST(LibraryPlanTest, SomeSortedFilesAimAtTheSamePlace) {
  const LibraryPlan plan = PlanLibrary(SmallShape());
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
