#include "tests/support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "tests/support/temp_folder.h"

namespace quillfold::testing {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder, StandardOutput output,
                         std::optional<LateSignal> signal) {
  TempFolder streams;
  const std::string out_path = streams / "out";
  const std::string err_path = streams / "err";
  // Made here, so they are there to read even when a signal ends the child
  // before it has opened them.
  WriteFile(out_path, "");
  WriteFile(err_path, "");
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // Each set-up call gives 0 or an error number; after any error the child
  // would start with the wrong streams or folder, so it is not started.
  posix_spawn_file_actions_t actions;
  int failed = posix_spawn_file_actions_init(&actions);
  failed |= posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  int closed_pipe[2] = {-1, -1};
  if (output == StandardOutput::kClosedPipe) {
    if (pipe2(closed_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    close(closed_pipe[0]);
    failed |= posix_spawn_file_actions_adddup2(&actions, closed_pipe[1], STDOUT_FILENO);
  } else {
    failed |=
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(), O_WRONLY, 0);
  }
  failed |=
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(), O_WRONLY, 0);
  failed |= posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t child = 0;
  const int spawned =
      failed != 0 ? failed
                  : posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (closed_pipe[1] >= 0) close(closed_pipe[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  if (signal) {
    std::this_thread::sleep_for(signal->after);
    kill(child, signal->number);
  }
  int wait_status = 0;
  if (waitpid(child, &wait_status, 0) != child) throw std::runtime_error("waitpid failed");
  ProgramResult result;
  if (output == StandardOutput::kCollected) result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  return result;
}

}  // namespace quillfold::testing
