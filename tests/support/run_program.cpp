#include "tests/support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "tests/support/temp_folder.h"

namespace quillfold::testing {
namespace {

// In the child only: point `fd` at `path`, or give up at once.
void Redirect(int fd, const std::string& path, int flags) {
  const int opened = open(path.c_str(), flags, 0600);
  if (opened < 0 || dup2(opened, fd) < 0) _exit(127);
  close(opened);
}

}  // namespace

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
  int closed_pipe[2] = {-1, -1};
  if (output == StandardOutput::kClosedPipe) {
    if (pipe(closed_pipe) != 0) throw std::runtime_error("pipe failed");
    close(closed_pipe[0]);
  }
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    Redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
    if (output == StandardOutput::kClosedPipe) {
      if (dup2(closed_pipe[1], STDOUT_FILENO) < 0) _exit(127);
    } else {
      Redirect(STDOUT_FILENO, out_path, O_WRONLY | O_CREAT | O_TRUNC);
    }
    Redirect(STDERR_FILENO, err_path, O_WRONLY | O_CREAT | O_TRUNC);
    if (chdir(folder.c_str()) != 0) _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (output == StandardOutput::kClosedPipe) close(closed_pipe[1]);
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
