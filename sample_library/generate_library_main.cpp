// Writes a seeded, messy music library for benchmarks and manual tests:
//   quillfold-generate-library FOLDER [--files N] [--playlists P]
//       [--lines MIN MAX] [--empty-chains C] [--hidden H] [--links L] [--seed S]
//       [--id3v2]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "product/program_usage.h"
#include "sample_library/library_writer.h"

namespace {

using quillfold::bench::LibraryShape;

int Number(char** argv, int& i, int argc) {
  if (++i >= argc) throw std::invalid_argument(std::string("missing number after ") + argv[i - 1]);
  return std::stoi(argv[i]);
}

LibraryShape ParseShape(int argc, char** argv) {
  LibraryShape shape;
  for (int i = 2; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--files")
      shape.files = Number(argv, i, argc);
    else if (flag == "--playlists")
      shape.playlists = Number(argv, i, argc);
    else if (flag == "--lines") {
      shape.min_playlist_lines = Number(argv, i, argc);
      shape.max_playlist_lines = Number(argv, i, argc);
    } else if (flag == "--empty-chains")
      shape.empty_chains = Number(argv, i, argc);
    else if (flag == "--hidden")
      shape.hidden_files = Number(argv, i, argc);
    else if (flag == "--links")
      shape.links = Number(argv, i, argc);
    else if (flag == "--id3v2")
      shape.id3v2 = true;
    else if (flag == "--seed")
      shape.seed = static_cast<std::uint64_t>(Number(argv, i, argc));
    else
      throw std::invalid_argument("unknown option " + std::string(flag));
  }
  return shape;
}

constexpr const char* kUsage =
    "usage: %s FOLDER [--files N] [--playlists P] [--lines MIN MAX] [--empty-chains C]\n"
    "           [--hidden H] [--links L] [--seed S] [--id3v2]\n"
    "Writes a seeded, messy library of tagged MP3 files and playlists into FOLDER.\n";

}  // namespace

int main(int argc, char** argv) {
  if (quillfold::AsksForHelp(argc, argv)) {
    std::printf(kUsage, argv[0]);
    return 0;
  }
  // A folder name that looks like an option is a mistyped option.
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, kUsage, argv[0]);
    return 2;
  }
  try {
    const LibraryShape shape = ParseShape(argc, argv);
    const auto stats =
        quillfold::bench::WriteLibrary(quillfold::bench::PlanLibrary(shape), argv[1], shape.id3v2);
    std::printf("%zu files (%zu bytes), %zu playlist lines (%zu bytes) in %s\n", stats.files,
                stats.audio_bytes, stats.playlist_lines, stats.playlist_bytes, argv[1]);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
