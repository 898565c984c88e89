// Measures the organize engine against the lower-bound yardstick on fresh
// copies of one generated library and prints the figures with their targets,
// in up to three sections, in one invocation:
//   warm   the page cache warm (--files N, default 10,000), then the playlist rows
//   cold   the page cache dropped before each timed run (--cold-files, 30,000;
//          root only, skipped with a line otherwise)
//   nas    on the latency simulator, every request waiting --delay-us (500)
//          (--nas-files, 10,000; needs FUSE, skipped with a line otherwise)
// and, with "id3v2" among the sections, each of them adds the ID3v2 rows: the
// library with ID3v2 tags read with --id3v2, and the TagLib yardstick.
//   quillfold-bench [--sections warm,cold,nas,id3v2] [--files N] [--cold-files N]
//                   [--nas-files N] [--delay-us D] [--repeat R] [--nas-repeat R]
//                   [--seed S] [--scratch FOLDER] [--jobs J] [--threads T]
//                   [--playlists 0]
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

#include "bench/bench_runs.h"
#include "bench/delayed_mount.h"
#include "bench/taglib_yardstick.h"
#include "platform/read_ahead_file_system.h"

namespace quillfold::bench {
namespace {

struct Settings {
  std::string sections = "warm,cold,nas,id3v2";
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
  const Measurement real = runs.OrganizeRun(shape, RunOptions(false), settings.jobs);
  const Measurement journaled = runs.OrganizeRun(shape, RunOptions(false), settings.jobs, true);
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
  return {report_one.figures[0], report.figures[0], real.figures[0]};
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

// Real runs with 100,000 and 1,000,000 playlist lines (1,000 lines each,
// every line naming a file), against the same run without playlists.
void PlaylistRuns(BenchRuns& runs, LibraryShape shape, double without) {
  std::printf("\n%-14s %9s %10s %12s %10s %8s %-14s %8s %-16s\n", "playlist lines", "list MiB",
              "real run s", "phase cost s", "rewrite s", "vs none", "target", "peak MiB",
              "memory target");
  std::printf("%-14d %9.1f %10.3f %12s %10s %8s\n", 0, 0.0, without, "-", "-", "-");
  double cost_per_line_small = 0;
  for (const int playlists : {100, 1000}) {
    shape.playlists = playlists;
    shape.min_playlist_lines = shape.max_playlist_lines = 1000;
    const double bytes = runs.PlaylistBytes(shape);
    const Measurement real = runs.OrganizeRun(shape, RunOptions(false));
    const Measurement rewrite = runs.RewritePlaylists(shape);
    const double cost = real.figures[0] - without;
    const double ratio = real.figures[0] / without;
    const double memory_target = 32.0 + 2.0 * bytes / kMiB;
    const double peak = static_cast<double>(real.peak_memory_kib) / 1024.0;
    std::printf("%-14d %9.1f %10.3f %12.3f %10.3f %8.2f ", playlists * 1000, bytes / kMiB,
                real.figures[0], cost, rewrite.figures[0], ratio);
    if (playlists == 1000) {
      std::printf("<= 2.00 %-6s", ratio <= 2.0 ? "met" : "MISSED");
    } else {
      std::printf("%-14s", "");
    }
    std::printf(" %8.1f < %.0f %s\n", peak, memory_target, peak < memory_target ? "met" : "MISSED");
    if (playlists == 100) cost_per_line_small = cost / 100000.0;
    if (playlists == 1000) {
      std::printf("phase cost per 1,000 lines: %.4f s at 100,000 lines, %.4f s at 1,000,000\n",
                  cost_per_line_small * 1000.0, cost / 1000.0);
    }
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
  if (settings.playlist_runs) PlaylistRuns(runs, settings.shape, id3v1.real);
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

}  // namespace
}  // namespace quillfold::bench

int main(int argc, char** argv) {
  using namespace quillfold::bench;
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
    ReportWindowRuns();
    if (settings.scratch.empty()) std::filesystem::remove_all(scratch);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
