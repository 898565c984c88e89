#pragma once

#include <span>
#include <string_view>

#include "cli/console.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

// Exit statuses of quillfold-cli.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotConfirmed = 3;

// The whole command-line program: `args` are the arguments after the
// program's name. Real runs are journaled in `journals`, and undo reads
// them there. Returns the exit status.
int RunCli(std::span<const std::string_view> args, Console& console, FileSystem& file_system,
           JournalStorage& journals);

}  // namespace quillfold
