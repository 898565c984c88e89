#include "cli/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <vector>

namespace quillfold {

void StandardConsole::Out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void StandardConsole::Err(std::string_view text) {
  // The question and the progress line must show before the program waits
  // or works on, so standard output's pending report goes out first.
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

bool StandardConsole::InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool StandardConsole::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::optional<std::string> StandardConsole::ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}

std::string StandardConsole::CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace quillfold
