#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console.h"
#include "platform/posix_file_system.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  quillfold::StandardConsole console;
  return quillfold::RunCli(args, console, quillfold::RealFileSystem());
}
