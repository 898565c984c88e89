#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console.h"
#include "cli/stop_signals.h"
#include "platform/journal_storage.h"
#include "platform/posix_file_system.h"

int main(int argc, char** argv) {
  // A reader that goes away (quillfold-cli ... | head) must not kill a real
  // run between a move and the playlist rewrite that follows it: the run
  // finishes and the lost report is reported instead.
  std::signal(SIGPIPE, SIG_IGN);
  quillfold::CatchStopSignals();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  quillfold::StandardConsole console;
  quillfold::PosixJournalStorage journals(quillfold::DefaultJournalFolder());
  const int status = quillfold::RunCli(args, console, quillfold::RealFileSystem(), journals);
  console.Flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    console.Err("quillfold-cli: the report could not be written to standard output\n");
    return status == quillfold::kExitDone ? quillfold::kExitRunFailed : status;
  }
  return status;
}
