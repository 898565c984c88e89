#include "cli/cli_app.h"

#include <string.h>

#include <optional>

#include "cli/cli_arguments.h"
#include "cli/cli_host.h"
#include "errors/run_error.h"
#include "organize/organizer.h"
#include "organize/undo.h"
#include "product/product.h"

namespace quillfold {
namespace {

int UsageFailure(Console& console, std::string_view message) {
  console.Err("quillfold-cli: " + std::string(message) + "\nTry \"quillfold-cli --help\".\n");
  return kExitUsage;
}

// A stop signal ends the program with 128 + its number, as the shell
// expects, even when it came as the run was finishing anyway.
// Where a stop signal found the run.
enum class StopPoint { kBetweenTwoFiles, kBetweenTwoUndoSteps, kAsTheRunEnded };

std::string_view StopPointText(StopPoint stop_point) {
  switch (stop_point) {
    case StopPoint::kBetweenTwoFiles:
      return ": the run stopped between two files; the report shows what it did";
    case StopPoint::kBetweenTwoUndoSteps:
      return ": the undo stopped between two files; the report shows what it did, and the "
             "next --undo finishes it";
    case StopPoint::kAsTheRunEnded:
      break;
  }
  return " as the run was ending; it finished its work";
}

int Interrupted(Console& console, StopPoint stop_point) {
  const int signal_number = console.StopSignal();
  const char* name = sigabbrev_np(signal_number);
  console.Err(std::string("quillfold-cli: interrupted by SIG") + (name ? name : "?") +
              std::string(StopPointText(stop_point)) + "\n");
  return 128 + signal_number;
}

int RunFailure(Console& console, const RunError& error) {
  console.Err("quillfold-cli: error " + std::to_string(error.number()) + ": " +
              error.description() + "\n");
  return kExitRunFailed;
}

int Undo(const CliArguments& arguments, Console& console, FileSystem& file_system,
         JournalStorage& journals, const std::string& base) {
  try {
    if (arguments.list) {
      console.Out(RunList(journals, base, file_system));
      return kExitDone;
    }
    CliHost host(console, arguments, base);
    UndoOutcome outcome = UndoOutcome::kNothingToUndo;
    try {
      outcome = UndoLastRun(file_system, journals, host);
    } catch (const RunError& error) {
      host.FinishReport();
      if (error.error_number() == ErrorNumber::kUserInterrupt)
        return Interrupted(console, StopPoint::kBetweenTwoUndoSteps);
      throw;
    }
    host.FinishReport();
    if (console.StopSignal() != 0) return Interrupted(console, StopPoint::kAsTheRunEnded);
    if (outcome == UndoOutcome::kDeclined) return kExitNotConfirmed;
    return outcome == UndoOutcome::kPartlyRestored ? kExitRunFailed : kExitDone;
  } catch (const RunError& error) {
    return RunFailure(console, error);
  }
}

int Organize(const CliArguments& arguments, Console& console, FileSystem& file_system,
             JournalStorage& journals) {
  const std::string base = AbsoluteFolder(arguments.base, console.CurrentFolder());
  try {
    file_system.ListFolder(base);
  } catch (const RunError& error) {
    return UsageFailure(console, "BASE is not a folder that can be read: " + error.description());
  }
  if (arguments.action == CliArguments::Action::kUndo) {
    return Undo(arguments, console, file_system, journals, base);
  }
  CliHost host(console, arguments, base);
  std::optional<ReadAheadFileSystem> read_ahead;
  if (arguments.jobs > 1) read_ahead.emplace(file_system, arguments.jobs);
  Organizer organizer(read_ahead ? *read_ahead : file_system, host, &journals);
  try {
    organizer.OrganizeRun();
  } catch (const RunError& error) {
    host.FinishReport();
    if (error.error_number() == ErrorNumber::kUserInterrupt)
      return Interrupted(console, StopPoint::kBetweenTwoFiles);
    return RunFailure(console, error);
  }
  host.FinishReport();
  if (console.StopSignal() != 0) return Interrupted(console, StopPoint::kAsTheRunEnded);
  return host.declined() ? kExitNotConfirmed : kExitDone;
}

}  // namespace

int RunCli(std::span<const std::string_view> args, Console& console, FileSystem& file_system,
           JournalStorage& journals) {
  const auto parsed = ParseCliArguments(args);
  if (const auto* usage = std::get_if<UsageError>(&parsed)) {
    return UsageFailure(console, usage->message);
  }
  const CliArguments& arguments = std::get<CliArguments>(parsed);
  switch (arguments.action) {
    case CliArguments::Action::kHelp:
      console.Out(UsageText());
      return kExitDone;
    case CliArguments::Action::kVersion:
      console.Out("quillfold-cli " + VersionText() + "\n");
      return kExitDone;
    case CliArguments::Action::kRun:
    case CliArguments::Action::kUndo:
      break;
  }
  return Organize(arguments, console, file_system, journals);
}

}  // namespace quillfold
