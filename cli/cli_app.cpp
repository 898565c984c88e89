#include "cli/cli_app.h"

#include "cli/cli_arguments.h"
#include "cli/cli_host.h"
#include "errors/run_error.h"
#include "organize/organizer.h"
#include "product/product.h"

namespace quillfold {
namespace {

int UsageFailure(Console& console, std::string_view message) {
  console.Err("quillfold-cli: " + std::string(message) + "\nTry \"quillfold-cli --help\".\n");
  return kExitUsage;
}

int Organize(const CliArguments& arguments, Console& console, FileSystem& file_system) {
  const std::string base = AbsoluteFolder(arguments.base, console.CurrentFolder());
  try {
    file_system.ListFolder(base);
  } catch (const RunError& error) {
    return UsageFailure(console, "BASE is not a folder that can be read: " + error.description());
  }
  CliHost host(console, arguments, base);
  Organizer organizer(file_system, host);
  try {
    organizer.OrganizeRun();
  } catch (const RunError& error) {
    host.FinishReport();
    console.Err("quillfold-cli: error " + std::to_string(error.number()) + ": " +
                error.description() + "\n");
    return kExitRunFailed;
  }
  host.FinishReport();
  return host.declined() ? kExitNotConfirmed : kExitDone;
}

}  // namespace

int RunCli(std::span<const std::string_view> args, Console& console, FileSystem& file_system) {
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
      break;
  }
  return Organize(arguments, console, file_system);
}

}  // namespace quillfold
