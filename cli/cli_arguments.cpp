#include "cli/cli_arguments.h"

#include <charconv>
#include <optional>
#include <vector>

#include "organize/journal.h"

namespace quillfold {
namespace {

// Applies the flag `arg` to `parsed`; false when it is not one of ours.
bool ApplyFlag(std::string_view arg, CliArguments& parsed) {
  for (const OrganizeOption& option : kOrganizeOptions) {
    if (arg == option.flag) {
      parsed.options.*option.field = option.flag_value;
      return true;
    }
  }
  if (arg == "--undo") {
    parsed.action = CliArguments::Action::kUndo;
  } else if (arg == "--list") {
    parsed.list = true;
  } else if (arg == "--yes") {
    parsed.yes = true;
  } else {
    return false;
  }
  return true;
}

constexpr int kMaxJobs = 256;

// The N of "--jobs N" or "--jobs=N"; nullopt when it is no whole number from
// 1 to kMaxJobs.
std::optional<int> ParseJobs(std::string_view text) {
  int jobs = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
  if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
    return std::nullopt;
  }
  return jobs;
}

}  // namespace

std::variant<CliArguments, UsageError> ParseCliArguments(std::span<const std::string_view> args) {
  CliArguments parsed;
  std::vector<std::string_view> bases;
  bool flags_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (flags_ended || !arg.starts_with("-") || arg == "-") {
      bases.push_back(arg);
    } else if (arg == "--jobs" || arg.starts_with("--jobs=")) {
      const bool joined = arg != "--jobs";
      if (!joined && ++i == args.size()) return UsageError{"--jobs needs a number"};
      const std::optional<int> jobs = ParseJobs(joined ? arg.substr(7) : args[i]);
      if (!jobs) return UsageError{"--jobs takes a whole number from 1 to 256"};
      parsed.jobs = *jobs;
    } else if (arg == "--") {
      flags_ended = true;
    } else if (arg == "--help") {
      parsed.action = CliArguments::Action::kHelp;
      return parsed;
    } else if (arg == "--version") {
      parsed.action = CliArguments::Action::kVersion;
      return parsed;
    } else if (!ApplyFlag(arg, parsed)) {
      return UsageError{"unknown option \"" + std::string(arg) + "\""};
    }
  }
  if (parsed.list && parsed.action != CliArguments::Action::kUndo) {
    return UsageError{"--list goes with --undo"};
  }
  if (bases.size() != 1) {
    return UsageError{bases.empty() ? "no BASE folder given" : "more than one BASE folder given"};
  }
  if (bases.front().empty()) return UsageError{"the BASE folder is empty"};
  parsed.base = bases.front();
  return parsed;
}

std::string AbsoluteFolder(std::string_view path, std::string_view current_folder) {
  std::string joined = path.starts_with('/')
                           ? std::string(path)
                           : std::string(current_folder) + "/" + std::string(path);
  std::vector<std::string_view> components;
  const std::string_view text = joined;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = std::min(text.find('/', start), text.size());
    const std::string_view component = text.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  std::string absolute = "/";
  for (const std::string_view component : components) {
    absolute += component;
    absolute += '/';
  }
  return absolute;
}

std::string UsageText() {
  return "Usage: quillfold-cli [--apply] [--yes] [--id3v2] [--no-track-number]\n"
         "                     [--require-track-number] [--no-unknown-album]\n"
         "                     [--remove-empty-folders] [--no-playlists] [--jobs N] BASE\n"
         "       quillfold-cli --undo [--apply] [--yes] BASE\n"
         "       quillfold-cli --undo --list BASE\n"
         "       quillfold-cli --help | --version\n"
         "\n"
         "Puts the MP3 files below BASE in order: BASE/Artist/Album/NN. Title.mp3, from each\n"
         "file's ID3v1 tag (with --id3v2, its ID3v2 tag first). Without --apply nothing is\n"
         "changed: the report says what would be.\n"
         "\n"
         "  --apply                 really move files, rewrite playlists, remove folders\n"
         "  --yes                   do not ask before a real run\n"
         "  --id3v2                 read ID3v2 tags (2.2 to 2.4), ID3v1 where they say nothing;\n"
         "                          names keep every script, the album artist names the\n"
         "                          artist folder, discs give \"D-NN. Title.mp3\"\n"
         "  --no-track-number       name files \"Title.mp3\" instead of \"NN. Title.mp3\"\n"
         "  --require-track-number  send files without a track number to UNSORTED\n"
         "  --no-unknown-album      send files without an album to UNSORTED, not to Unknown\n"
         "  --remove-empty-folders  remove the folders left empty (real runs only)\n"
         "  --no-playlists          leave .m3u and .m3u8 playlists alone\n"
         "  --undo                  undo the latest real run on BASE not yet undone (again: the\n"
         "                          one before); with --apply it moves the files back, puts back\n"
         "                          the playlists and folders, and never overwrites a file;\n"
         "                          an undo cut short is finished by the next --undo\n"
         "  --list                  with --undo: list the runs on record for BASE\n"
         "  --jobs N                read up to N files' tags at once (default 16; 1 reads them\n"
         "                          one after another); the results are the same either way\n"
         "\n"
         "The report goes to standard output, in whole lines; control bytes in names\n"
         "(line feed, carriage return, escape...) are shown as \\xHH, e.g. \\x0A.\n"
         "Ctrl-C, SIGTERM or SIGHUP stop a real run between two files: the playlists\n"
         "changed so far are written and the report ends. A real run or undo is refused\n"
         "while another holds BASE, a folder inside it or one above it.\n"
         "Exit status: 0 done, 1 the run failed or was refused, 2 usage error, 3 not\n"
         "confirmed, 128+N stopped by signal N (130: Ctrl-C); an undo exits 1 when\n"
         "anything was not restored.\n"
         "Every real run that changes anything keeps a journal in $XDG_STATE_HOME/quillfold/\n"
         "(default ~/.local/state/quillfold/): the last " +
         std::to_string(kJournalsKeptPerBase) + " runs per BASE, at most " +
         std::to_string(kJournalFolderBytes >> 20) + " MiB in all; the oldest go first.\n";
}

}  // namespace quillfold
