#include "bench/lower_bound.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <vector>

#include "tags/clean_name.h"
#include "tags/read_track_tag.h"
#include "text/ascii.h"

namespace quillfold::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Move {
  std::string from;
  std::string folder;  // ends in "/"
  std::string name;
};

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

bool IsMp3(std::string_view name) {
  return name.size() >= 4 && AsciiUpper(name.substr(name.size() - 4)) == ".MP3";
}

bool ReadTail(const std::string& path, TagTrailer& trailer) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool read_all =
      lseek(fd, -static_cast<off_t>(trailer.size()), SEEK_END) >= 0 &&
      read(fd, trailer.data(), trailer.size()) == static_cast<ssize_t>(trailer.size());
  close(fd);
  return read_all;
}

Move PlanMove(const std::string& base, std::string path, std::string_view name) {
  TagTrailer trailer{};
  TrackTag tag;
  if (!ReadTail(path, trailer) || !DecodeTrackTag(trailer, tag)) {
    return {std::move(path), base + "UNSORTED/", std::string(name)};
  }
  std::string folder = base + std::string(TrimSpaces(CleanName(tag.Artist))) + "/" +
                       std::string(TrimSpaces(CleanName(tag.Album))) + "/";
  return {std::move(path), std::move(folder),
          CleanName(nformat(tag.Track) + ". " + std::string(TrimSpaces(tag.Title)) + ".mp3")};
}

struct FoundFile {
  std::string path;
  std::string name;
};

void Walk(const std::string& folder, std::vector<FoundFile>& found) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) Fail("cannot list", folder);
  std::vector<std::string> subfolders;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat info {};
      fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW);
      type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR) subfolders.push_back(folder + std::string(name) + "/");
    if (type == DT_REG && IsMp3(name)) {
      found.push_back({folder + std::string(name), std::string(name)});
    }
  }
  closedir(dir);
  for (const auto& subfolder : subfolders) Walk(subfolder, found);
}

// Reads every tail on `threads` threads at once, each taking the next file.
std::vector<Move> PlanMoves(const std::string& base, const std::vector<FoundFile>& found,
                            int threads) {
  std::vector<Move> moves(found.size());
  std::atomic<std::size_t> next = 0;
  const auto work = [&] {
    for (std::size_t i = next++; i < found.size(); i = next++) {
      moves[i] = PlanMove(base, found[i].path, found[i].name);
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return moves;
}

void CreateFolderOnce(const std::string& folder, std::unordered_set<std::string>& created) {
  for (std::size_t end = folder.find('/', 1); end != std::string::npos;
       end = folder.find('/', end + 1)) {
    const std::string prefix = folder.substr(0, end);
    if (created.insert(prefix).second && mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
      Fail("cannot create folder", prefix);
    }
  }
}

bool MoveNoReplace(const Move& move) {
  std::string to = move.folder + move.name;
  if (to == move.from) return false;
  while (renameat2(AT_FDCWD, move.from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EEXIST) Fail("cannot move", move.from);
    to += ".mp3";
  }
  return true;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

LowerBoundFigures RunLowerBound(const std::string& base, int threads) {
  const std::string folder = base.ends_with('/') ? base : base + "/";
  LowerBoundFigures figures;
  const auto start = Clock::now();
  std::vector<FoundFile> found;
  Walk(folder, found);
  const std::vector<Move> moves = PlanMoves(folder, found, threads);
  figures.files = moves.size();
  figures.walk_and_read_seconds = SecondsSince(start);
  std::unordered_set<std::string> created;
  for (const auto& move : moves) {
    CreateFolderOnce(move.folder, created);
    if (MoveNoReplace(move)) ++figures.moved;
  }
  figures.total_seconds = SecondsSince(start);
  return figures;
}

}  // namespace quillfold::bench
