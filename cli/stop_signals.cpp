#include "cli/stop_signals.h"

#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace quillfold {
namespace {

volatile std::sig_atomic_t received_signal = 0;
volatile std::sig_atomic_t exit_at_once = 0;

void OnStopSignal(int signal_number) {
  if (exit_at_once != 0) {
    // Ends the question's line; nothing else is safe to do here.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, "\n", 1);
    _exit(128 + signal_number);
  }
  if (received_signal == 0) received_signal = signal_number;
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // The run's own calls go on where the signal met them.
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal_number, &action, nullptr);
  }
}

int ReceivedStopSignal() { return received_signal; }

ExitAtOnceOnStop::ExitAtOnceOnStop() {
  exit_at_once = 1;
  if (received_signal != 0) _exit(128 + received_signal);
}

ExitAtOnceOnStop::~ExitAtOnceOnStop() { exit_at_once = 0; }

}  // namespace quillfold
