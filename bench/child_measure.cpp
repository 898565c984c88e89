#include "bench/child_measure.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace quillfold::bench {
namespace {

[[noreturn]] void RunChild(const std::function<std::vector<double>()>& work, int result_fd) {
  int status = 0;
  try {
    const std::vector<double> figures = work();
    const auto bytes = static_cast<ssize_t>(figures.size() * sizeof(double));
    if (write(result_fd, figures.data(), static_cast<std::size_t>(bytes)) != bytes) status = 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "measured work failed: %s\n", error.what());
    status = 1;
  }
  std::fflush(nullptr);
  _exit(status);
}

}  // namespace

Measurement MeasureInChild(const std::function<std::vector<double>()>& work) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(fds[0]);
    RunChild(work, fds[1]);
  }
  close(fds[1]);
  Measurement measurement;
  double figure = 0;
  while (read(fds[0], &figure, sizeof figure) == sizeof figure) {
    measurement.figures.push_back(figure);
  }
  close(fds[0]);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("measured child process failed");
  }
  measurement.peak_memory_kib = usage.ru_maxrss;
  return measurement;
}

}  // namespace quillfold::bench
