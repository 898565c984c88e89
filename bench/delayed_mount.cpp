#include "bench/delayed_mount.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quillfold::bench {
#ifdef QUILLFOLD_PASSTHROUGH_FS
namespace {

// Requests a client may have in flight at once, well above any --jobs. The
// idle threads' limit is given too: without it this FUSE library complains
// of its own default.
constexpr const char* kServerThreads = "max_threads=64,max_idle_threads=64";

bool Mounted(const std::string& mount_point) {
  struct stat own {};
  struct stat parent {};
  return stat(mount_point.c_str(), &own) == 0 &&
         stat((mount_point + "/..").c_str(), &parent) == 0 && own.st_dev != parent.st_dev;
}

}  // namespace
#endif

std::string DelayedMount::Unavailable() {
#ifndef QUILLFOLD_PASSTHROUGH_FS
  return "quillfold-passthrough-fs is not built (Debian: libfuse3-dev)";
#else
  if (access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse cannot be opened";
  if (access(QUILLFOLD_PASSTHROUGH_FS, X_OK) != 0) return "quillfold-passthrough-fs is missing";
  return {};
#endif
}

DelayedMount::DelayedMount(const std::string& source, const std::string& mount_point, int delay_us)
    : mount_point_(mount_point) {
#ifdef QUILLFOLD_PASSTHROUGH_FS
  std::string delay = std::to_string(delay_us);
  std::vector<std::string> args = {
      QUILLFOLD_PASSTHROUGH_FS, "--delay-us", delay,         source, mount_point, "-f", "-o",
      kServerThreads,           "-o",         "auto_unmount"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  server_ = fork();
  if (server_ < 0) throw std::runtime_error("cannot start the latency simulator");
  if (server_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  for (int waited_ms = 0; !Mounted(mount_point_); waited_ms += 10) {
    int status = 0;
    if (waited_ms > 5000 || waitpid(server_, &status, WNOHANG) == server_) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
      throw std::runtime_error("the latency simulator did not mount " + mount_point);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
#else
  (void)source;
  (void)delay_us;
  throw std::runtime_error(Unavailable());
#endif
}

DelayedMount::~DelayedMount() {
  if (server_ <= 0) return;
  // The server unmounts on SIGTERM; auto_unmount covers a server that dies.
  kill(server_, SIGTERM);
  waitpid(server_, nullptr, 0);
}

}  // namespace quillfold::bench
