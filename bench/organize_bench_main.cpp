// Measures the organize engine against the lower-bound yardstick on fresh
// copies of one generated library and prints the figures with their targets,
// in up to three sections, in one invocation:
//   warm   the page cache warm (--files N, default 10,000), then the playlist rows
//   cold   the page cache dropped before each timed run (--cold-files, 30,000;
//          root only, skipped with a line otherwise)
//   nas    on the latency simulator, every request waiting --delay-us (500)
//          (--nas-files, 10,000; needs FUSE, skipped with a line otherwise)
//   sizes  warm, libraries of --sizes files (10,000, 100,000, 1,000,000), each
//          generated once and run on hard-linked copies: the growth per file
// and, with "id3v2" among the sections, each of them adds the ID3v2 rows: the
// library with ID3v2 tags read with --id3v2, and the TagLib yardstick.
//   quillfold-bench [--sections warm,cold,nas,sizes,id3v2] [--files N] [--cold-files N]
//                   [--nas-files N] [--delay-us D] [--repeat R] [--nas-repeat R]
//                   [--seed S] [--scratch FOLDER] [--jobs J] [--threads T]
//                   [--playlists 0] [--sizes N,N,...]
// --jobs is the engine's read-ahead (default the front ends'), --threads the
// parallel yardstick's reads at once.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/bench_runs.h"
#include "bench/delayed_mount.h"
#include "bench/taglib_yardstick.h"
#include "platform/read_ahead_file_system.h"
#include "product/program_usage.h"

namespace quillfold::bench {
namespace {

struct Settings {
  std::string sections = "warm,cold,nas,sizes,id3v2";
  std::string sizes = "10000,100000,1000000";
  LibraryShape shape;
  int cold_files = 30000;
  int nas_files = 10000;
  int delay_us = 500;
  int repeats = 3;
  int nas_repeats = 1;
  std::string scratch;
  int jobs = kDefaultReadAheadJobs;
  int threads = 32;
  bool playlist_runs = true;

  bool Wants(std::string_view section) const {
    return ("," + sections + ",").find("," + std::string(section) + ",") != std::string::npos;
  }
};

constexpr double kMiB = 1024.0 * 1024.0;

Settings ParseSettings(int argc, char** argv) {
  Settings settings;
  settings.shape.files = 10000;
  settings.shape.playlists = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--sections")
      settings.sections = value;
    else if (flag == "--files")
      settings.shape.files = std::stoi(value);
    else if (flag == "--cold-files")
      settings.cold_files = std::stoi(value);
    else if (flag == "--nas-files")
      settings.nas_files = std::stoi(value);
    else if (flag == "--delay-us")
      settings.delay_us = std::stoi(value);
    else if (flag == "--repeat")
      settings.repeats = std::stoi(value);
    else if (flag == "--nas-repeat")
      settings.nas_repeats = std::stoi(value);
    else if (flag == "--seed")
      settings.shape.seed = std::stoull(value);
    else if (flag == "--scratch")
      settings.scratch = value;
    else if (flag == "--jobs")
      settings.jobs = std::stoi(value);
    else if (flag == "--threads")
      settings.threads = std::stoi(value);
    else if (flag == "--sizes")
      settings.sizes = value;
    else if (flag == "--playlists")
      settings.playlist_runs = value != "0";
    else
      throw std::invalid_argument("unknown option " + flag);
  }
  if (argc % 2 == 0) throw std::invalid_argument("every option takes one value");
  return settings;
}

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.starts_with("model name")) return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

OrganizeOptions RunOptions(bool report_only) {
  OrganizeOptions options;
  options.chkDontDo = report_only ? 1 : 0;
  return options;
}

void PrintRow(const char* what, double seconds, int files, double yardstick, double target,
              long peak_kib) {
  std::printf("%-32s %9.3f %10.0f", what, seconds, files / seconds);
  if (yardstick > 0) {
    const double ratio = seconds / yardstick;
    std::printf(" %7.2f  <= %.2f %-6s", ratio, target, ratio <= target ? "met" : "MISSED");
  } else {
    std::printf(" %7s  %-14s", "-", "");
  }
  std::printf(" %8.1f\n", static_cast<double>(peak_kib) / 1024.0);
}

// What one section holds each run to: the yardstick (one-at-a-time or
// parallel) and the ratio allowed for report-only and real runs; for the
// ID3v2 rows, the ratio allowed against the ID3v1 mode and against TagLib.
struct Targets {
  bool parallel_yardstick;
  double report;
  double real;
  double id3v2_vs_id3v1;
  double id3v2_vs_taglib;
};

// The ID3v1 mode's seconds, for the ID3v2 rows to be held to.
struct Id3v1Figures {
  double report_one = 0;  // report-only, --jobs 1
  double report = 0;      // report-only, --jobs J
  double real = 0;        // real run, --jobs J
  double journaled = 0;   // the same, journaled
  double journal_bytes = 0;
};

// Report-only and real runs against the yardstick, on a library without
// playlists: the yardstick does no playlist work either.
Id3v1Figures FileRuns(BenchRuns& runs, const Settings& settings, const LibraryShape& shape,
                      const Targets& targets) {
  const Measurement bound = runs.LowerBound(shape);
  const Measurement parallel = runs.LowerBound(shape, settings.threads);
  const Measurement report_one = runs.OrganizeRun(shape, RunOptions(true));
  const Measurement report = runs.OrganizeRun(shape, RunOptions(true), settings.jobs);
  const Measurement real_one = runs.OrganizeRun(shape, RunOptions(false));
  const auto [real, journaled] =
      runs.PlainAndJournaledRuns(shape, RunOptions(false), settings.jobs);
  const Measurement& yardstick = targets.parallel_yardstick ? parallel : bound;
  const std::string jobs = " (--jobs " + std::to_string(settings.jobs) + ")";
  const std::string threads = std::to_string(settings.threads) + "-way";
  std::printf("%-32s %9s %10s %7s  %-14s %8s\n", "", "seconds", "files/s", "ratio", "target",
              "peak MiB");
  PrintRow("yardstick: walk + read", bound.figures[0], shape.files, 0, 0, bound.peak_memory_kib);
  PrintRow("yardstick: all work", bound.figures[1], shape.files, 0, 0, bound.peak_memory_kib);
  PrintRow((threads + " yardstick: walk + read").c_str(), parallel.figures[0], shape.files, 0, 0,
           parallel.peak_memory_kib);
  PrintRow((threads + " yardstick: all work").c_str(), parallel.figures[1], shape.files, 0, 0,
           parallel.peak_memory_kib);
  // One at a time, the engine is held to the one-at-a-time yardstick.
  PrintRow("report-only (--jobs 1)", report_one.figures[0], shape.files, bound.figures[0],
           targets.report, report_one.peak_memory_kib);
  PrintRow(("report-only" + jobs).c_str(), report.figures[0], shape.files, yardstick.figures[0],
           targets.report, report.peak_memory_kib);
  PrintRow("real run (--jobs 1)", real_one.figures[0], shape.files, bound.figures[1], targets.real,
           real_one.peak_memory_kib);
  PrintRow(("real run" + jobs).c_str(), real.figures[0], shape.files, yardstick.figures[1],
           targets.real, real.peak_memory_kib);
  // The journal's cost: the same real run writing its journal ahead of
  // every change, against the real run without one.
  PrintRow(("real run, journaled" + jobs).c_str(), journaled.figures[0], shape.files,
           real.figures[0], 1.1, journaled.peak_memory_kib);
  return {report_one.figures[0], report.figures[0], real.figures[0], journaled.figures[0],
          journaled.figures[1]};
}

// The same library with ID3v2 tags alone, half of them after 30 KiB of
// cover art, read with --id3v2: against the ID3v1 mode on the ID3v1
// library, and against TagLib reading the same tags on as many threads as
// the run's --jobs.
void Id3v2Runs(BenchRuns& runs, const Settings& settings, LibraryShape shape,
               const Id3v1Figures& id3v1, const Targets& targets) {
  shape.id3v2 = true;
  OrganizeOptions report_options = RunOptions(true);
  report_options.chkID3v2 = 1;
  OrganizeOptions real_options = RunOptions(false);
  real_options.chkID3v2 = 1;
  const Measurement report_one = runs.OrganizeRun(shape, report_options);
  const Measurement report = runs.OrganizeRun(shape, report_options, settings.jobs);
  const Measurement real = runs.OrganizeRun(shape, real_options, settings.jobs);
  const Measurement taglib = runs.Measure(shape, [&](const std::string& base) {
    return std::vector<double>{ReadTagsWithTagLib(base, settings.jobs)};
  });
  const std::string jobs = " (--jobs " + std::to_string(settings.jobs) + ")";
  std::printf("ID3v2 library (half with 30 KiB of cover art first), against the ID3v1 mode\n");
  PrintRow("--id3v2 report-only (--jobs 1)", report_one.figures[0], shape.files, id3v1.report_one,
           targets.id3v2_vs_id3v1, report_one.peak_memory_kib);
  PrintRow(("--id3v2 report-only" + jobs).c_str(), report.figures[0], shape.files, id3v1.report,
           targets.id3v2_vs_id3v1, report.peak_memory_kib);
  PrintRow(("--id3v2 real run" + jobs).c_str(), real.figures[0], shape.files, id3v1.real,
           targets.id3v2_vs_id3v1, real.peak_memory_kib);
  const std::string yardstick = "TagLib yardstick, " + std::to_string(settings.jobs) + " threads";
  PrintRow(yardstick.c_str(), taglib.figures[0], shape.files, 0, 0, taglib.peak_memory_kib);
  PrintRow(("--id3v2 report-only vs TagLib" + jobs).c_str(), report.figures[0], shape.files,
           taglib.figures[0], targets.id3v2_vs_taglib, report.peak_memory_kib);
}

// Journaled real runs with 100,000 and 1,000,000 playlist lines (1,000
// lines each, a quarter of them relative to their playlist's folder and a
// quarter file URIs, every line naming a file), and one playlist of
// 1,000,000 lines, with the bytes of each run's journal. The playlist
// phase (the run's time beyond the same run leaving the playlists alone) is
// held to the rewrite floor: reading and safely writing back every
// playlist, which any run that updates them all pays. All three are timed
// on copies made side by side.
void PlaylistRuns(BenchRuns& runs, LibraryShape shape, const Id3v1Figures& without, int jobs) {
  std::printf("\n%-14s %9s %9s %11s %10s %8s %9s %8s %-14s %8s %-16s\n", "playlist lines",
              "playlists", "list MiB", "journal MiB", "real run s", "phase s", "rewrite s",
              "vs floor", "target", "peak MiB", "memory target");
  std::printf("%-14d %9d %9.1f %11.1f %10.3f %8s %9s\n", 0, 0, 0.0, without.journal_bytes / kMiB,
              without.journaled, "-", "-");
  constexpr std::pair<int, int> kRows[] = {{100, 1000}, {1000, 1000}, {1, 1000000}};
  for (const auto& [playlists, lines] : kRows) {
    shape.playlists = playlists;
    shape.min_playlist_lines = shape.max_playlist_lines = lines;
    const double bytes = runs.PlaylistBytes(shape);
    const BenchRuns::PlaylistFigures figures = runs.PlaylistPhase(shape, jobs);
    const Measurement& real = figures.with_playlists;
    const Measurement& rewrite = figures.rewrite;
    const double phase = real.figures[0] - figures.without_playlists.figures[0];
    const double ratio = phase / rewrite.figures[0];
    const double memory_target = 32.0 + 2.0 * bytes / kMiB;
    const double peak = static_cast<double>(real.peak_memory_kib) / 1024.0;
    std::printf("%-14d %9d %9.1f %11.1f %10.3f %8.3f %9.3f %8.2f ", playlists * lines, playlists,
                bytes / kMiB, real.figures[1] / kMiB, real.figures[0], phase, rewrite.figures[0],
                ratio);
    if (playlists == 1000) {
      std::printf("<= 1.50 %-6s", ratio <= 1.5 ? "met" : "MISSED");
    } else {
      std::printf("%-14s", "");
    }
    std::printf(" %8.1f < %.0f %s\n", peak, memory_target, peak < memory_target ? "met" : "MISSED");
    std::fflush(stdout);
  }
}

// The report window's figures, from its own program when the desktop
// program is built.
void ReportWindowRuns() {
#ifdef QUILLFOLD_REPORT_BENCH
  std::printf("\n");
  std::fflush(stdout);
  if (std::system(QUILLFOLD_REPORT_BENCH) != 0) {
    throw std::runtime_error("the report window benchmark failed");
  }
#endif
}

LibraryShape WithFiles(LibraryShape shape, int files) {
  shape.files = files;
  return shape;
}

void WarmSection(const Settings& settings, const std::string& scratch) {
  std::printf("\nwarm cache, %d files\n", settings.shape.files);
  BenchRuns runs(scratch, settings.repeats);
  const Targets targets{false, 1.3, 1.5, 1.3, 1.0 / 1.5};
  const Id3v1Figures id3v1 = FileRuns(runs, settings, settings.shape, targets);
  if (settings.Wants("id3v2")) Id3v2Runs(runs, settings, settings.shape, id3v1, targets);
  if (settings.playlist_runs) PlaylistRuns(runs, settings.shape, id3v1, settings.jobs);
  runs.RemoveCopies();
}

void ColdSection(const Settings& settings, const std::string& scratch) {
  std::printf("\ncold cache (dropped before each timed run), %d files\n", settings.cold_files);
  if (!BenchRuns::CanDropCaches()) {
    std::printf("skipped: this process may not drop the page cache\n");
    return;
  }
  BenchRuns runs(scratch, settings.repeats, true);
  // No target is set for ID3v2 on a cold disk: the simulator's stand in.
  const Targets targets{true, 1.3, 1.3, 1.5, 1.0 / 1.5};
  const LibraryShape shape = WithFiles(settings.shape, settings.cold_files);
  const Id3v1Figures id3v1 = FileRuns(runs, settings, shape, targets);
  if (settings.Wants("id3v2")) Id3v2Runs(runs, settings, shape, id3v1, targets);
  runs.RemoveCopies();
}

void NasSection(const Settings& settings, const std::string& scratch) {
  std::printf("\nlatency simulator, %d us per request, %d files\n", settings.delay_us,
              settings.nas_files);
  if (const std::string why = DelayedMount::Unavailable(); !why.empty()) {
    std::printf("skipped: %s\n", why.c_str());
    return;
  }
  const std::string source = scratch + "/nas-source";
  const std::string mount_point = scratch + "/nas";
  std::filesystem::create_directories(source);
  std::filesystem::create_directories(mount_point);
  {
    const DelayedMount mount(source, mount_point, settings.delay_us);
    BenchRuns runs(source, settings.nas_repeats, false, mount_point);
    const Targets targets{true, 1.5, 1.0, 1.5, 1.0 / 1.5};
    const LibraryShape shape = WithFiles(settings.shape, settings.nas_files);
    const Id3v1Figures id3v1 = FileRuns(runs, settings, shape, targets);
    if (settings.Wants("id3v2")) Id3v2Runs(runs, settings, shape, id3v1, targets);
    runs.RemoveCopies();
  }
  std::filesystem::remove(mount_point);
  std::filesystem::remove(source);
}

// One run of a size row: seconds, time and peak memory per file.
void PrintSizeRow(const char* what, double seconds, int files, double yardstick, long peak_kib) {
  std::printf("  %-32s %9.3f %9.2f", what, seconds, seconds * 1e6 / files);
  if (yardstick > 0) {
    std::printf(" %7.2f", seconds / yardstick);
  } else {
    std::printf(" %7s", "-");
  }
  std::printf(" %9.1f %9.0f\n", static_cast<double>(peak_kib) / 1024.0,
              static_cast<double>(peak_kib) * 1024.0 / files);
  std::fflush(stdout);
}

// The rows of one library size, each printed as soon as it is measured and
// the engine's before the parallel yardstick's, so that a run cut short
// still shows them. Returns the real run.
Measurement SizeRows(BenchRuns& runs, const Settings& settings, const LibraryShape& shape) {
  const int files = shape.files;
  const std::string jobs = " (--jobs " + std::to_string(settings.jobs) + ")";
  std::printf("%d files\n", files);
  const Measurement bound = runs.LowerBound(shape);
  PrintSizeRow("yardstick: walk + read", bound.figures[0], files, 0, bound.peak_memory_kib);
  PrintSizeRow("yardstick: all work", bound.figures[1], files, 0, bound.peak_memory_kib);
  const Measurement real = runs.OrganizeRun(shape, RunOptions(false), settings.jobs);
  PrintSizeRow(("real run" + jobs).c_str(), real.figures[0], files, bound.figures[1],
               real.peak_memory_kib);
  const Measurement report = runs.OrganizeRun(shape, RunOptions(true), settings.jobs);
  PrintSizeRow(("report-only" + jobs).c_str(), report.figures[0], files, bound.figures[0],
               report.peak_memory_kib);
  const Measurement undone = runs.RunAndUndo(shape, settings.jobs);
  PrintSizeRow(("real run, journaled" + jobs).c_str(), undone.figures[0], files, real.figures[0],
               undone.peak_memory_kib);
  PrintSizeRow("undo of that run", undone.figures[1], files, undone.figures[0],
               undone.peak_memory_kib);
  const Measurement parallel = runs.LowerBound(shape, settings.threads);
  PrintSizeRow("32-way yardstick: walk + read", parallel.figures[0], files, 0,
               parallel.peak_memory_kib);
  PrintSizeRow("32-way yardstick: all work", parallel.figures[1], files, 0,
               parallel.peak_memory_kib);
  return real;
}

// Warm runs at each size, beside both yardsticks. Libraries of 100,000
// files and more are measured once each: writing them takes minutes.
void SizesSection(const Settings& settings, const std::string& scratch) {
  std::printf("\nlibrary sizes, warm, each library generated once, runs on hard-linked copies\n");
  std::printf("  %-32s %9s %9s %7s %9s %9s\n", "", "seconds", "us/file", "ratio", "peak MiB",
              "B/file");
  std::vector<std::pair<int, Measurement>> real_runs;
  for (std::size_t start = 0; start < settings.sizes.size();) {
    const std::size_t comma = std::min(settings.sizes.find(',', start), settings.sizes.size());
    const int files = std::stoi(settings.sizes.substr(start, comma - start));
    start = comma + 1;
    const LibraryShape shape = WithFiles(settings.shape, files);
    BenchRuns runs(scratch, files <= 10000 ? settings.repeats : 1);
    runs.GenerateOnce(shape);
    const Measurement real = SizeRows(runs, settings, shape);
    runs.RemoveCopies();
    real_runs.emplace_back(files, real);
  }
  if (real_runs.empty()) return;
  const double bytes = static_cast<double>(real_runs.back().second.peak_memory_kib) * 1024.0 /
                       real_runs.back().first;
  std::printf("real run, peak memory at %d files: %.0f bytes per file < 200 %s\n",
              real_runs.back().first, bytes, bytes < 200 ? "met" : "MISSED");
  const auto per_file = [](const std::pair<int, Measurement>& run) {
    return run.second.figures[0] / run.first;
  };
  const double growth = per_file(real_runs.back()) / per_file(real_runs.front());
  std::printf("real run, time per file at %d against %d files: %.2fx <= 1.20 %s\n",
              real_runs.back().first, real_runs.front().first, growth,
              growth <= 1.2 ? "met" : "MISSED");
}

}  // namespace
}  // namespace quillfold::bench

int main(int argc, char** argv) {
  using namespace quillfold::bench;
  if (quillfold::AsksForHelp(argc, argv)) {
    std::printf(
        "usage: %s [--sections warm,cold,nas] [--files N] [--cold-files N] [--nas-files N]\n"
        "       [--delay-us D] [--repeat R] [--nas-repeat R] [--seed S] [--scratch FOLDER]\n"
        "       [--jobs J] [--threads T] [--playlists 0]\n"
        "Measures the organizer against its yardstick on fresh copies of a generated library.\n",
        argv[0]);
    return 0;
  }
  try {
    const Settings settings = ParseSettings(argc, argv);
    std::string scratch = settings.scratch;
    if (scratch.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "quillfold-bench-XXXXXX");
      if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch folder");
      scratch = pattern;
    }
    std::printf(
        "Quillfold benchmark: seed %llu, median of %d fresh copies each (%d on the "
        "simulator)\n",
        static_cast<unsigned long long>(settings.shape.seed), settings.repeats,
        settings.nas_repeats);
    std::printf("machine: %u cores, %s; scratch %s\n", std::thread::hardware_concurrency(),
                CpuModel().c_str(), scratch.c_str());
    if (settings.Wants("warm")) WarmSection(settings, scratch);
    if (settings.Wants("cold")) ColdSection(settings, scratch);
    if (settings.Wants("nas")) NasSection(settings, scratch);
    if (settings.Wants("sizes")) SizesSection(settings, scratch);
    ReportWindowRuns();
    if (settings.scratch.empty()) std::filesystem::remove_all(scratch);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
