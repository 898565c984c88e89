// Runs the organiser's yardstick on a library (see lower_bound.h). It moves
// files: run it on a copy.
//   quillfold-lower-bound FOLDER
#include <cstdio>
#include <exception>

#include "bench/lower_bound.h"
#include "product/program_usage.h"

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: %s FOLDER\nMoves every tagged .mp3 below FOLDER the simplest way: use a copy.\n";
  if (quillfold::AsksForHelp(argc, argv)) {
    std::printf(kUsage, argv[0]);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, kUsage, argv[0]);
    return 2;
  }
  try {
    const auto figures = quillfold::bench::RunLowerBound(argv[1]);
    std::printf("%zu files, %zu moved: walk and read %.3f s, all work %.3f s\n", figures.files,
                figures.moved, figures.walk_and_read_seconds, figures.total_seconds);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
