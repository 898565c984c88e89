// Runs the organiser's yardstick on a library (see lower_bound.h). It moves
// files: run it on a copy.
//   quillfold-lower-bound FOLDER
#include <cstdio>
#include <exception>

#include "bench/lower_bound.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
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
