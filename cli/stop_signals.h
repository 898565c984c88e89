#pragma once

namespace quillfold {

// SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal) become a
// request to stop that a run takes between two files, so a move is never cut
// in half and the playlists are always written whole. Only the first signal
// counts; later ones change nothing. Installed once, for the whole process.
void CatchStopSignals();

// The first stop signal received, or 0.
int ReceivedStopSignal();

// While one of these lives (the program waits for an answer and has changed
// nothing), a stop signal ends the process at once with 128 + the signal.
class ExitAtOnceOnStop {
 public:
  ExitAtOnceOnStop();
  ExitAtOnceOnStop(const ExitAtOnceOnStop&) = delete;
  ExitAtOnceOnStop& operator=(const ExitAtOnceOnStop&) = delete;
  ~ExitAtOnceOnStop();
};

}  // namespace quillfold
