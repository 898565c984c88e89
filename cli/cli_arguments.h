#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "organize/organize_options.h"
#include "platform/read_ahead_file_system.h"

namespace quillfold {

// What the command line asks for. The options start at the check boxes'
// design-time states, so with no flag a run only reports.
struct CliArguments {
  enum class Action { kRun, kUndo, kHelp, kVersion };
  Action action = Action::kRun;  // --undo: undo the latest run on BASE
  bool yes = false;              // --yes: answer the confirmation with Yes
  bool list = false;             // --list (with --undo): show the runs on record
  OrganizeOptions options;
  std::string base;                  // as given, not yet made absolute
  int jobs = kDefaultReadAheadJobs;  // --jobs N: file tails read at once (1: one after another)
};

// A command line that cannot be run, with the reason.
struct UsageError {
  std::string message;
};

// Parses the arguments after the program name. "--" ends the flags, so a
// BASE may begin with "-".
std::variant<CliArguments, UsageError> ParseCliArguments(std::span<const std::string_view> args);

// `path` made absolute against `current_folder` (itself absolute), with "."
// and ".." resolved on the text alone (links are not followed), ending in "/".
std::string AbsoluteFolder(std::string_view path, std::string_view current_folder);

// The --help text.
std::string UsageText();

}  // namespace quillfold
