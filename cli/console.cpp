#include "cli/console.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "cli/stop_signals.h"

namespace quillfold {

namespace {

// Whole lines are held back up to this much before they are written.
constexpr std::size_t kOutputBatch = 1 << 16;

}  // namespace

StandardConsole::StandardConsole() : output_is_terminal_(isatty(STDOUT_FILENO) == 1) {}

void StandardConsole::Out(std::string_view text) {
  held_back_ += text;
  if (output_is_terminal_) return WriteOut(held_back_.size());
  if (held_back_.size() >= kOutputBatch) WriteOut(held_back_.rfind('\n') + 1);
}

void StandardConsole::Flush() { WriteOut(held_back_.size()); }

void StandardConsole::WriteOut(std::size_t size) {
  if (size == 0) return;
  std::fwrite(held_back_.data(), 1, size, stdout);
  std::fflush(stdout);
  held_back_.erase(0, size);
}

void StandardConsole::Err(std::string_view text) {
  // The question and the progress line must show after the report lines
  // before them, so those go out first.
  WriteOut(held_back_.rfind('\n') + 1);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

bool StandardConsole::InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool StandardConsole::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::optional<std::string> StandardConsole::ReadLine() {
  // Nothing has been changed while the program waits for an answer.
  const ExitAtOnceOnStop exit_at_once;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}

int StandardConsole::StopSignal() { return ReceivedStopSignal(); }

std::string StandardConsole::CurrentFolder() {
  // The shell's spelling of where the user stands, through any linked
  // folder, for as long as it still names this very folder; so a relative
  // BASE reads in the report and the playlists as the user typed it.
  const char* shell_folder = std::getenv("PWD");
  struct stat here {};
  struct stat named {};
  if (shell_folder != nullptr && shell_folder[0] == '/' && stat(".", &here) == 0 &&
      stat(shell_folder, &named) == 0 && here.st_dev == named.st_dev &&
      here.st_ino == named.st_ino) {
    return shell_folder;
  }
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace quillfold
