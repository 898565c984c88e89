// Measures the organize engine against the lower-bound yardstick on fresh
// copies of one generated library and prints the figures with their targets:
//   quillfold-bench [--files N] [--repeat R] [--seed S] [--scratch FOLDER]
//                   [--jobs J] [--threads T] [--cold 1] [--playlists 0]
// --cold 1 drops the page cache before each timed run (root only); --jobs is
// the engine's read-ahead (default the front ends'), --threads the parallel
// yardstick's reads at once.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench/bench_runs.h"
#include "platform/read_ahead_file_system.h"

namespace quillfold::bench {
namespace {

struct Settings {
  LibraryShape shape;
  int repeats = 3;
  std::string scratch;
  int jobs = kDefaultReadAheadJobs;
  int threads = 32;
  bool cold = false;
  bool playlist_runs = true;
};

constexpr double kMiB = 1024.0 * 1024.0;

Settings ParseSettings(int argc, char** argv) {
  Settings settings;
  settings.shape.playlists = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--files")
      settings.shape.files = std::stoi(value);
    else if (flag == "--repeat")
      settings.repeats = std::stoi(value);
    else if (flag == "--seed")
      settings.shape.seed = std::stoull(value);
    else if (flag == "--scratch")
      settings.scratch = value;
    else if (flag == "--jobs")
      settings.jobs = std::stoi(value);
    else if (flag == "--threads")
      settings.threads = std::stoi(value);
    else if (flag == "--cold")
      settings.cold = value == "1";
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

// Report-only and real runs against the yardstick, on a library without
// playlists: the yardstick does no playlist work either. Warm, the engine is
// held to the one-at-a-time yardstick; cold, to the parallel one.
double FileRuns(BenchRuns& runs, const Settings& settings) {
  const LibraryShape& shape = settings.shape;
  const Measurement bound = runs.LowerBound(shape);
  const Measurement parallel = runs.LowerBound(shape, settings.threads);
  const Measurement report_one = runs.OrganizeRun(shape, RunOptions(true));
  const Measurement report = runs.OrganizeRun(shape, RunOptions(true), settings.jobs);
  const Measurement real_one = runs.OrganizeRun(shape, RunOptions(false));
  const Measurement real = runs.OrganizeRun(shape, RunOptions(false), settings.jobs);
  const Measurement journaled = runs.OrganizeRun(shape, RunOptions(false), settings.jobs, true);
  const Measurement& yardstick = settings.cold ? parallel : bound;
  const double real_target = settings.cold ? 1.3 : 1.5;
  const std::string jobs = " (--jobs " + std::to_string(settings.jobs) + ")";
  const std::string threads = std::to_string(settings.threads) + "-way";
  std::printf("\n%-32s %9s %10s %7s  %-14s %8s\n", "", "seconds", "files/s", "ratio", "target",
              "peak MiB");
  PrintRow("yardstick: walk + read", bound.figures[0], shape.files, 0, 0, bound.peak_memory_kib);
  PrintRow("yardstick: all work", bound.figures[1], shape.files, 0, 0, bound.peak_memory_kib);
  PrintRow((threads + " yardstick: walk + read").c_str(), parallel.figures[0], shape.files, 0, 0,
           parallel.peak_memory_kib);
  PrintRow((threads + " yardstick: all work").c_str(), parallel.figures[1], shape.files, 0, 0,
           parallel.peak_memory_kib);
  PrintRow("report-only (--jobs 1)", report_one.figures[0], shape.files, bound.figures[0], 1.3,
           report_one.peak_memory_kib);
  PrintRow(("report-only" + jobs).c_str(), report.figures[0], shape.files, yardstick.figures[0],
           1.3, report.peak_memory_kib);
  PrintRow("real run (--jobs 1)", real_one.figures[0], shape.files, bound.figures[1], 1.5,
           real_one.peak_memory_kib);
  PrintRow(("real run" + jobs).c_str(), real.figures[0], shape.files, yardstick.figures[1],
           real_target, real.peak_memory_kib);
  // The journal's cost: the same real run writing its journal ahead of
  // every change, against the real run without one.
  PrintRow(("real run, journaled" + jobs).c_str(), journaled.figures[0], shape.files,
           real.figures[0], 1.1, journaled.peak_memory_kib);
  return real.figures[0];
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

}  // namespace
}  // namespace quillfold::bench

int main(int argc, char** argv) {
  using namespace quillfold::bench;
  try {
    Settings settings = ParseSettings(argc, argv);
    std::string scratch = settings.scratch;
    if (scratch.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "quillfold-bench-XXXXXX");
      if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch folder");
      scratch = pattern;
    }
    std::printf("Quillfold benchmark: %d files, seed %llu, median of %d fresh copies each\n",
                settings.shape.files, static_cast<unsigned long long>(settings.shape.seed),
                settings.repeats);
    std::printf("machine: %u cores, %s; scratch %s\n", std::thread::hardware_concurrency(),
                CpuModel().c_str(), scratch.c_str());
    if (settings.cold && !BenchRuns::CanDropCaches()) {
      std::printf("cold cache: skipped, this process may not drop the page cache\n");
      return 0;
    }
    std::printf("cache: %s\n", settings.cold ? "dropped before each timed run" : "warm");
    BenchRuns runs(scratch, settings.repeats, settings.cold);
    const double without = FileRuns(runs, settings);
    if (settings.playlist_runs) PlaylistRuns(runs, settings.shape, without);
    runs.RemoveCopies();
    ReportWindowRuns();
    if (settings.scratch.empty()) std::filesystem::remove_all(scratch);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
