#pragma once

#include <string>

#include "bench/child_measure.h"
#include "bench/library_plan.h"
#include "organize/organize_options.h"

namespace quillfold::bench {

// One timed piece of work on a freshly generated copy of a library: each
// call writes the library anew below `scratch` (same seed, same bytes),
// measures in a child process, and removes the copy afterwards.
class BenchRuns {
 public:
  BenchRuns(std::string scratch, int repeats) : scratch_(std::move(scratch)), repeats_(repeats) {}

  // The yardstick: figures[0] seconds to walk and read, figures[1] for all its work.
  Measurement LowerBound(const LibraryShape& shape);
  // The bytes of every playlist of the library as written by these runs.
  double PlaylistBytes(const LibraryShape& shape);
  // One organize run with `options`: figures[0] seconds for the whole run.
  Measurement OrganizeRun(const LibraryShape& shape, const OrganizeOptions& options);

 private:
  // The median of `repeats_` measurements of `work` on fresh copies (by
  // each timed part; the peak memory is the largest seen).
  Measurement Median(const LibraryShape& shape,
                     const std::function<std::vector<double>(const std::string&)>& work);

  std::string scratch_;
  int repeats_;
};

}  // namespace quillfold::bench
