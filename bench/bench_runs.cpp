#include "bench/bench_runs.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "bench/bench_host.h"
#include "bench/lower_bound.h"
#include "organize/organizer.h"
#include "organize/undo.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"
#include "platform/read_ahead_file_system.h"
#include "sample_library/library_writer.h"

namespace quillfold::bench {
namespace {

using Clock = std::chrono::steady_clock;

void FreshLibrary(const LibraryShape& shape, const std::string& base) {
  // Generating in a child keeps the plan out of the parent, whose pages
  // every measured child would otherwise share.
  MeasureInChild([&] {
    WriteLibrary(PlanLibrary(shape), base, shape.id3v2);
    return std::vector<double>{};
  });
  // Nothing of the writing may still be on its way to the disk while the
  // next run is timed: its first flush would wait for all of it.
  sync();
}

// A copy of the library at `source` whose files are hard links to its
// files: folders and links are made anew.
void LinkedCopy(const std::string& source, const std::string& base) {
  namespace fs = std::filesystem;
  fs::copy(source, base,
           fs::copy_options::recursive | fs::copy_options::create_hard_links |
               fs::copy_options::copy_symlinks);
  sync();
}

// Flushes what is written and drops the page cache, dentries and inodes.
bool DropCaches() {
  sync();
  std::FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
  if (control == nullptr) return false;
  const bool written = std::fputs("3", control) >= 0;
  return std::fclose(control) == 0 && written;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The figures of several runs of one kind, for their medians.
class Runs {
 public:
  void Add(const Measurement& one) {
    parts_.resize(one.figures.size());
    for (std::size_t p = 0; p < one.figures.size(); ++p) parts_[p].push_back(one.figures[p]);
    peak_memory_kib_ = std::max(peak_memory_kib_, one.peak_memory_kib);
  }
  Measurement Medians() const {
    Measurement result{{}, peak_memory_kib_};
    for (const auto& part : parts_) result.figures.push_back(bench::Median(part));
    return result;
  }

 private:
  std::vector<std::vector<double>> parts_;
  long peak_memory_kib_ = 0;
};

}  // namespace

std::string BenchRuns::MadeCopy(const LibraryShape& shape) {
  const std::string base = NextCopy();
  if (generated_.empty()) {
    FreshLibrary(shape, base);
  } else {
    LinkedCopy(generated_, base);
  }
  return base;
}

// What the run before wrote is flushed first: on ext4 the first flush a
// run makes would otherwise wait for all of it.
Measurement BenchRuns::RunOn(const std::string& copy, const Work& work) {
  sync();
  if (cold_ && !DropCaches()) throw std::runtime_error("cannot drop the page cache");
  const std::string reached = run_root_.empty() ? copy : run_root_ + copy.substr(scratch_.size());
  return MeasureInChild([&] { return work(reached); });
}

Measurement BenchRuns::Measure(const LibraryShape& shape, const Work& work) {
  Runs runs;
  for (int i = 0; i < repeats_; ++i) runs.Add(RunOn(MadeCopy(shape), work));
  return runs.Medians();
}

std::vector<Measurement> BenchRuns::MeasureSideBySide(const LibraryShape& shape,
                                                      const std::vector<Work>& works) {
  const std::size_t count = works.size();
  std::vector<Runs> runs(count);
  for (int i = 0; i < repeats_; ++i) {
    std::vector<std::string> copies;
    for (std::size_t w = 0; w < count; ++w) copies.push_back(MadeCopy(shape));
    // In round i, work w goes ((i + w) % count)-th, on the copy made then.
    for (std::size_t turn = 0; turn < count; ++turn) {
      const std::size_t w = (turn + count - static_cast<std::size_t>(i) % count) % count;
      runs[w].Add(RunOn(copies[turn], works[w]));
    }
  }
  std::vector<Measurement> medians;
  for (const Runs& one : runs) medians.push_back(one.Medians());
  return medians;
}

// Beside the copy in the scratch folder itself, never through the mount:
// the front ends keep journals on the local disk, whatever medium the
// library is on.
std::string BenchRuns::JournalFolder(const std::string& reached) const {
  const std::string base =
      run_root_.empty() ? reached : scratch_ + reached.substr(run_root_.size());
  return base + "-journals";
}

std::string BenchRuns::NextCopy() {
  char name[32];
  std::snprintf(name, sizeof name, "/copy-%03d", ++copies_);
  return scratch_ + name;
}

void BenchRuns::RemoveCopies() {
  for (int copy = 1; copy <= copies_; ++copy) {
    char name[32];
    std::snprintf(name, sizeof name, "/copy-%03d", copy);
    std::filesystem::remove_all(scratch_ + name);
    std::filesystem::remove_all(scratch_ + name + "-journals");
  }
  copies_ = 0;
  if (!generated_.empty()) std::filesystem::remove_all(generated_);
  generated_.clear();
}

void BenchRuns::GenerateOnce(const LibraryShape& shape) {
  generated_ = scratch_ + "/generated";
  FreshLibrary(shape, generated_);
}

double BenchRuns::PlaylistBytes(const LibraryShape& shape) {
  // Every copy's name has the same length, so any stands for all.
  const std::string base = scratch_ + "/copy-000";
  return MeasureInChild([&] {
           const LibraryPlan plan = PlanLibrary(shape);
           double bytes = 0;
           for (const auto& playlist : plan.playlists) {
             for (const auto& entry : playlist.entries) {
               bytes += static_cast<double>(PlaylistLine(plan, playlist, entry, base).size() + 2);
             }
           }
           return std::vector<double>{bytes};
         })
      .figures[0];
}

bool BenchRuns::CanDropCaches() { return DropCaches(); }

Measurement BenchRuns::LowerBound(const LibraryShape& shape, int threads) {
  return Measure(shape, [threads](const std::string& base) {
    const LowerBoundFigures figures = RunLowerBound(base, threads);
    return std::vector<double>{figures.walk_and_read_seconds, figures.total_seconds};
  });
}

BenchRuns::Work BenchRuns::RewriteWork(const LibraryShape& shape) {
  return [shape](const std::string& base) {
    std::vector<std::string> paths;
    for (const auto& playlist : PlanLibrary(shape).playlists) {
      paths.push_back(base + "/" + playlist.relative);
    }
    FileSystem& file_system = RealFileSystem();
    const auto start = Clock::now();
    for (const auto& path : paths)
      file_system.ReplaceTextFile(path, file_system.ReadTextFile(path));
    return std::vector<double>{std::chrono::duration<double>(Clock::now() - start).count()};
  };
}

BenchRuns::Work BenchRuns::OrganizeWork(const OrganizeOptions& options, int jobs, bool journaled) {
  return [this, options, jobs, journaled](const std::string& base) {
    BenchHost host(base, options);
    PosixJournalStorage journals(JournalFolder(base));
    std::optional<ReadAheadFileSystem> read_ahead;
    if (jobs > 1) read_ahead.emplace(RealFileSystem(), jobs);
    Organizer organizer(read_ahead ? static_cast<FileSystem&>(*read_ahead) : RealFileSystem(), host,
                        journaled ? &journals : nullptr);
    const auto start = Clock::now();
    organizer.OrganizeRun();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!host.message().empty()) throw std::runtime_error(host.message());
    double journal_bytes = 0;
    for (const std::string& name : journals.ListJournals()) {
      journal_bytes += static_cast<double>(journals.JournalSize(name));
    }
    return std::vector<double>{seconds, journal_bytes};
  };
}

Measurement BenchRuns::OrganizeRun(const LibraryShape& shape, const OrganizeOptions& options,
                                   int jobs, bool journaled) {
  return Measure(shape, OrganizeWork(options, jobs, journaled));
}

std::pair<Measurement, Measurement> BenchRuns::PlainAndJournaledRuns(const LibraryShape& shape,
                                                                     const OrganizeOptions& options,
                                                                     int jobs) {
  const auto both = MeasureSideBySide(
      shape, {OrganizeWork(options, jobs, false), OrganizeWork(options, jobs, true)});
  return {both[0], both[1]};
}

BenchRuns::PlaylistFigures BenchRuns::PlaylistPhase(const LibraryShape& shape, int jobs) {
  OrganizeOptions with;
  with.chkDontDo = 0;
  OrganizeOptions without = with;
  without.chkUpdateM3U = 0;
  const auto all = MeasureSideBySide(
      shape,
      {OrganizeWork(with, jobs, true), OrganizeWork(without, jobs, true), RewriteWork(shape)});
  return {all[0], all[1], all[2]};
}

Measurement BenchRuns::RunAndUndo(const LibraryShape& shape, int jobs) {
  return Measure(shape, [&](const std::string& base) {
    OrganizeOptions options;
    options.chkDontDo = 0;
    BenchHost host(base, options);
    PosixJournalStorage journals(JournalFolder(base));
    ReadAheadFileSystem read_ahead(RealFileSystem(), jobs);
    const auto start = Clock::now();
    Organizer(read_ahead, host, &journals).OrganizeRun();
    const auto ran = Clock::now();
    if (UndoLastRun(RealFileSystem(), journals, host) != UndoOutcome::kRestored) {
      throw std::runtime_error("the undo did not put everything back");
    }
    const auto undone = Clock::now();
    return std::vector<double>{std::chrono::duration<double>(ran - start).count(),
                               std::chrono::duration<double>(undone - ran).count()};
  });
}

}  // namespace quillfold::bench
