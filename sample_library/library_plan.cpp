#include "sample_library/library_plan.h"

#include <algorithm>
#include <set>

namespace quillfold::bench {
namespace {

constexpr int kMaxDepth = 4;
constexpr int kFilesPerFolder = 60;  // on average; Skewed() piles hundreds into a few

// Folder names as people make them: words, numbers, a disc suffix, an
// accented letter, odd spacing.
std::string FolderName(SeededRandom& random) {
  std::string name = WordsName(random, 3);
  switch (random.Below(8)) {
    case 0:
      return name + " (Disc " + std::to_string(random.Between(1, 3)) + ")";
    case 1:
      return std::to_string(random.Between(1970, 2025)) + " - " + name;
    case 2:
      return name + " Caf\xC3\xA9";
    case 3:
      return "  " + name;
    default:
      return name;
  }
}

// A name not yet in `taken` (a set of full relative paths), made from
// `wanted` by numbering it when needed.
std::string FreeName(std::set<std::string>& taken, const std::string& folder,
                     const std::string& stem, const std::string& extension) {
  const std::string prefix = folder.empty() ? "" : folder + "/";
  std::string path = prefix + stem + extension;
  for (int n = 2; !taken.insert(path).second; ++n) {
    path = prefix + stem + " " + std::to_string(n) + extension;
  }
  return path;
}

int Depth(const std::string& folder) {
  if (folder.empty()) return 0;
  return 1 + static_cast<int>(std::count(folder.begin(), folder.end(), '/'));
}

std::vector<std::string> PlanFolders(SeededRandom& random, std::set<std::string>& taken,
                                     int count) {
  std::vector<std::string> folders{""};
  while (static_cast<int>(folders.size()) < count) {
    const std::string parent = random.Pick(folders);
    if (Depth(parent) >= kMaxDepth) continue;
    folders.push_back(FreeName(taken, parent, FolderName(random), ""));
  }
  return folders;
}

// A title may hold "/", which no file name can.
std::string WithoutSlashes(std::string name) {
  std::replace(name.begin(), name.end(), '/', '-');
  return name;
}

// Numbered stems repeat every `numbers` files: often enough that untagged
// files collide in their UNSORTED folder, never so often that the appended
// ".mp3" suffixes pass a file name's 255 bytes.
std::string FileStem(SeededRandom& random, const PlannedTag& tag, int index, int numbers) {
  switch (random.Below(4)) {
    case 0:
      return "track" + std::to_string(index % numbers);
    case 1:
      return tag.fields.title.empty() ? "untitled " + std::to_string(index % numbers)
                                      : WithoutSlashes(tag.fields.title);
    case 2:
      return std::to_string(random.Between(1, 20)) + " - " + WordsName(random, 2);
    default:
      return WordsName(random, 3);
  }
}

std::vector<PlannedFile> PlanFiles(SeededRandom& random, std::set<std::string>& taken,
                                   const std::vector<std::string>& folders,
                                   const LibraryShape& shape) {
  std::vector<PlannedFile> files;
  std::vector<PlannedTag> tags = PlanTags(random, shape.files);
  for (int i = 0; i < shape.files; ++i) {
    PlannedTag& tag = tags[static_cast<std::size_t>(i)];
    const std::string& folder = folders[random.Skewed(folders.size())];
    const bool hidden = i < shape.hidden_files;
    // Appending to the dot, rather than putting the dot in front, is one
    // plain copy that g++ 12 at -O3 does not mistake for an overlapping one.
    std::string stem = hidden ? "." : "";
    stem += FileStem(random, tag, i, std::max(100, shape.files / 100));
    const std::string extension = random.Percent(10) ? ".MP3" : ".mp3";
    files.push_back(
        {FreeName(taken, folder, stem, extension), std::move(tag), random.Between(2, 6)});
  }
  return files;
}

std::vector<PlannedPlaylist> PlanPlaylists(SeededRandom& random, std::set<std::string>& taken,
                                           const std::vector<std::string>& folders,
                                           const LibraryShape& shape, std::size_t file_count) {
  std::vector<PlannedPlaylist> playlists;
  for (int i = 0; i < shape.playlists; ++i) {
    PlannedPlaylist playlist{FreeName(taken, random.Pick(folders), WordsName(random, 2), ".m3u"),
                             {}};
    const int lines = random.Between(shape.min_playlist_lines, shape.max_playlist_lines);
    const bool header = random.Percent(50);
    for (int line = 0; line < lines; ++line) {
      if (line == 0 && header) {
        playlist.entries.push_back({});
      } else if (file_count > 0) {
        const int file = static_cast<int>(random.Below(file_count));
        const std::uint64_t form = random.Below(4);
        playlist.entries.push_back({file, form == 0   ? PlaylistEntry::Form::kRelative
                                          : form == 1 ? PlaylistEntry::Form::kUri
                                                      : PlaylistEntry::Form::kAbsolute});
      }
    }
    playlists.push_back(std::move(playlist));
  }
  return playlists;
}

std::vector<std::string> PlanEmptyChains(SeededRandom& random, std::set<std::string>& taken,
                                         const std::vector<std::string>& folders, int chains) {
  std::vector<std::string> empty;
  for (int i = 0; i < chains; ++i) {
    std::string folder = random.Pick(folders);
    const int length = random.Between(1, 3);
    for (int level = 0; level < length; ++level) {
      folder = FreeName(taken, folder, "empty " + WordsName(random, 1), "");
      empty.push_back(folder);
    }
  }
  return empty;
}

std::vector<PlannedLink> PlanLinks(SeededRandom& random, std::set<std::string>& taken,
                                   const LibraryPlan& plan, int count) {
  std::vector<PlannedLink> links;
  for (int i = 0; i < count; ++i) {
    const bool to_file = i % 2 == 0 && !plan.files.empty();
    const std::string& folder = random.Pick(plan.folders);
    if (to_file) {
      links.push_back(
          {FreeName(taken, folder, "link", ".mp3"), random.Pick(plan.files).relative, true});
    } else {
      links.push_back({FreeName(taken, folder, "loop", ""), "..", false});
    }
  }
  return links;
}

}  // namespace

LibraryPlan PlanLibrary(const LibraryShape& shape) {
  SeededRandom random(shape.seed);
  std::set<std::string> taken;
  LibraryPlan plan;
  plan.folders = PlanFolders(random, taken, 1 + shape.files / kFilesPerFolder);
  plan.files = PlanFiles(random, taken, plan.folders, shape);
  plan.playlists = PlanPlaylists(random, taken, plan.folders, shape, plan.files.size());
  plan.empty_folders = PlanEmptyChains(random, taken, plan.folders, shape.empty_chains);
  plan.links = PlanLinks(random, taken, plan, shape.links);
  return plan;
}

}  // namespace quillfold::bench
