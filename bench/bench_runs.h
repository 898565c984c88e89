#pragma once

#include <functional>
#include <string>
#include <utility>

#include "bench/child_measure.h"
#include "organize/organize_options.h"
#include "sample_library/library_plan.h"

namespace quillfold::bench {

// One timed piece of work on a freshly generated copy of a library: each
// call writes the library anew below `scratch` (same seed, same bytes) and
// measures in a child process. Copies stay until RemoveCopies: on ext4 a
// folder or file made soon after mass deletion costs a search past the
// freed inodes, which would tax whichever run came next.
class BenchRuns {
 public:
  // `cold`: the page cache is dropped before each timed run (see CanDropCaches).
  // `run_root`, when given, is where the work reaches `scratch` (a mount of
  // it): copies are written straight into `scratch`, the timed work goes
  // through `run_root`.
  BenchRuns(std::string scratch, int repeats, bool cold = false, std::string run_root = {})
      : scratch_(std::move(scratch)),
        repeats_(repeats),
        cold_(cold),
        run_root_(std::move(run_root)) {}

  // Whether this process may drop the page cache.
  static bool CanDropCaches();

  // Removes every copy made so far (and the generated library of
  // GenerateOnce).
  void RemoveCopies();

  // Writes the library of `shape` once; from then on each copy is made of
  // hard links to its files instead of being written anew, which only a
  // library of a million files needs: its moves and playlist replacements
  // change the copy's names, never the files the links share.
  void GenerateOnce(const LibraryShape& shape);

  // The yardstick, reading `threads` tails at once: figures[0] seconds to
  // walk and read, figures[1] for all its work.
  Measurement LowerBound(const LibraryShape& shape, int threads = 1);
  // The bytes of every playlist of the library as written by these runs.
  double PlaylistBytes(const LibraryShape& shape);
  // One organize run with `options` and `jobs` read-ahead workers (1: none):
  // figures[0] seconds for the whole run, figures[1] the bytes of its
  // journal. `journaled` runs keep their journal in the scratch folder, on
  // the local disk, as every real run of the front ends does.
  Measurement OrganizeRun(const LibraryShape& shape, const OrganizeOptions& options, int jobs = 1,
                          bool journaled = false);
  // The same run without and with a journal, on copies side by side (see
  // MeasureSideBySide): the journal's cost.
  std::pair<Measurement, Measurement> PlainAndJournaledRuns(const LibraryShape& shape,
                                                            const OrganizeOptions& options,
                                                            int jobs);
  // A journaled real run with `jobs` read-ahead workers, the same run with
  // the playlists left alone (the run's time beyond it is the playlist
  // phase), and only reading every playlist and writing it back as the
  // engine does (atomically, flushed): what any run that updates every
  // playlist pays for the writing alone. On copies made side by side
  // (MeasureSideBySide), so that a slow spell of the disk falls on all three.
  struct PlaylistFigures {
    Measurement with_playlists;     // figures[0] seconds, figures[1] journal bytes
    Measurement without_playlists;  // the same
    Measurement rewrite;            // figures[0] seconds
  };
  PlaylistFigures PlaylistPhase(const LibraryShape& shape, int jobs);
  // A journaled real run with `jobs` read-ahead workers, then the undo of
  // it: figures[0] seconds for the run, figures[1] for the undo. Throws when
  // the undo does not put everything back.
  Measurement RunAndUndo(const LibraryShape& shape, int jobs);

  // The median of `repeats_` measurements of `work` on fresh copies (by
  // each timed part; the peak memory is the largest seen). `work` gets the
  // copy's base folder and returns its timed parts in seconds.
  using Work = std::function<std::vector<double>(const std::string&)>;
  Measurement Measure(const LibraryShape& shape, const Work& work);
  // The same for several pieces of work on copies made side by side, taking
  // turns at going first and at having the copy made first: what the state
  // of the file system does to a run (the copies made before it, what is
  // still being written back) falls on all alike, so that their ratios are
  // fair. One measurement per piece of work, in the order given.
  std::vector<Measurement> MeasureSideBySide(const LibraryShape& shape,
                                             const std::vector<Work>& works);

 private:
  std::string NextCopy();
  std::string MadeCopy(const LibraryShape& shape);
  Measurement RunOn(const std::string& copy, const Work& work);
  Work OrganizeWork(const OrganizeOptions& options, int jobs, bool journaled);
  static Work RewriteWork(const LibraryShape& shape);
  std::string JournalFolder(const std::string& reached) const;

  std::string scratch_;
  int repeats_;
  bool cold_;
  std::string run_root_;
  std::string generated_;  // GenerateOnce's library, or empty
  int copies_ = 0;
};

}  // namespace quillfold::bench
