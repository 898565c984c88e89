#include "organize/journal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>

#include "errors/run_error.h"
#include "tags/path_helpers.h"

namespace quillfold {
namespace {

constexpr std::string_view kKindNames[] = {"run",      "folder",  "move",     "moved",
                                           "playlist", "removed", "complete", "undone"};
constexpr std::size_t kFieldCounts[] = {2, 1, 2, 1, 3, 1, 0, 0};
constexpr std::string_view kSuffix = ".journal";

// Fields are separated by tabs and records end in a line feed, so those,
// the carriage return and the backslash itself are escaped.
void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::vector<JournalRecord> ParseRecords(std::string_view text) {
  std::vector<JournalRecord> records;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string_view::npos;
       start = end + 1) {
    std::vector<std::string> fields = SplitFields(text.substr(start, end - start));
    const auto* kind = std::find(std::begin(kKindNames), std::end(kKindNames), fields.front());
    if (kind == std::end(kKindNames)) continue;
    fields.erase(fields.begin());
    if (fields.size() != kFieldCounts[kind - std::begin(kKindNames)]) continue;
    records.push_back({static_cast<JournalRecord::Kind>(kind - std::begin(kKindNames)), fields});
  }
  return records;
}

// The base folder's journals share a prefix, and the start time that
// follows is zero-padded, so byte order is time order.
std::string BasePrefix(const std::string& base_folder) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const unsigned char c : base_folder) hash = (hash ^ c) * 1099511628211ULL;
  char text[18];
  std::snprintf(text, sizeof text, "%016llx-", static_cast<unsigned long long>(hash));
  return text;
}

std::string NewJournalName(const std::string& base_folder) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%020lld",
                static_cast<long long>(std::chrono::nanoseconds(now).count()));
  return BasePrefix(base_folder) + stamp + std::string(kSuffix);
}

void Prune(JournalStorage& storage, const std::string& base_folder) {
  std::vector<std::string> names;
  const std::string prefix = BasePrefix(base_folder);
  for (std::string& name : storage.ListJournals()) {
    if (name.starts_with(prefix) && name.ends_with(kSuffix)) names.push_back(std::move(name));
  }
  if (names.size() <= kJournalsKeptPerBase) return;
  for (std::size_t i = 0; i + kJournalsKeptPerBase < names.size(); ++i) {
    storage.RemoveJournal(names[i]);
  }
}

std::string OptionsDigits(const OrganizeOptions& options) {
  std::string digits;
  for (const int box : {options.chkDontDo, options.chkTrackName, options.chkIgnoreNoTrack,
                        options.chkNoAlbum, options.chkDelDirs, options.chkUpdateM3U}) {
    digits += box == 1 ? '1' : '0';
  }
  // chkID3v2, after the six, so a journal written before it reads the same.
  digits += options.chkID3v2 == 1 ? '1' : '0';
  return digits;
}

}  // namespace

std::optional<std::string> WhereMoved(FileSystem& file_system,
                                      const std::vector<JournalRecord>& records,
                                      std::size_t index) {
  const std::vector<std::string>& move = records[index].fields;
  if (index + 1 < records.size() && records[index + 1].kind == JournalRecord::Kind::kMoved) {
    return records[index + 1].fields[0];
  }
  if (PathExists(file_system, move[0])) return std::nullopt;
  std::string found = move[1];
  for (std::string candidate = move[1]; PathExists(file_system, candidate); candidate += ".mp3") {
    found = candidate;
  }
  return found;
}

int RunRecord::FilesMoved() const {
  return static_cast<int>(std::count_if(records.begin(), records.end(), [](const auto& record) {
    return record.kind == JournalRecord::Kind::kMoved;
  }));
}

std::vector<RunRecord> RunsOnBase(JournalStorage& storage, const std::string& base_folder) {
  const std::string prefix = BasePrefix(base_folder);
  std::vector<RunRecord> runs;
  for (const std::string& name : storage.ListJournals()) {
    if (!name.starts_with(prefix) || !name.ends_with(kSuffix)) continue;
    // A file of another program's making in the folder is no journal.
    const std::string_view stamp(name.data() + prefix.size(),
                                 name.size() - prefix.size() - kSuffix.size());
    std::int64_t started_ns = 0;
    const auto [end, error] = std::from_chars(stamp.begin(), stamp.end(), started_ns);
    if (error != std::errc() || end != stamp.end()) continue;
    RunRecord run{name, started_ns, ParseRecords(storage.ReadJournal(name))};
    // Another base whose name hashes alike is not ours.
    if (run.records.empty() || run.records.front().kind != JournalRecord::Kind::kRun ||
        run.records.front().fields[0] != base_folder) {
      continue;
    }
    // chkUpdateM3U is the sixth digit; chkID3v2's may follow it.
    const std::string& options = run.records.front().fields[1];
    run.playlists_updated = options.size() >= 6 && options[5] == '1';
    for (const JournalRecord& record : run.records) {
      run.complete |= record.kind == JournalRecord::Kind::kComplete;
      run.undone |= record.kind == JournalRecord::Kind::kUndone;
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

std::unique_ptr<RunJournal> RunJournal::Begin(JournalStorage& storage,
                                              const std::string& base_folder,
                                              const OrganizeOptions& options) {
  Prune(storage, base_folder);
  auto journal = std::make_unique<RunJournal>(storage, NewJournalName(base_folder));
  const std::string digits = OptionsDigits(options);
  journal->Add(JournalRecord::Kind::kRun, {&base_folder, &digits});
  journal->Write(true);
  return journal;
}

RunJournal::RunJournal(JournalStorage& storage, const std::string& name)
    : file_(storage.OpenJournal(name)) {}

void RunJournal::Add(JournalRecord::Kind kind, std::initializer_list<const std::string*> fields) {
  ThrowIfBroken();
  pending_ += kKindNames[static_cast<int>(kind)];
  for (const std::string* field : fields) {
    pending_ += '\t';
    AppendEscaped(pending_, *field);
  }
  pending_ += '\n';
}

// After a failed append the journal may end in part of a record, and
// anything added behind it would be read back wrongly; so a journal that
// failed once takes nothing more, and nothing more is changed.
void RunJournal::Write(bool to_disk) {
  ThrowIfBroken();
  broken_ = true;
  if (!pending_.empty()) {
    file_->Append(pending_);
    pending_.clear();
    ++unflushed_appends_;
  }
  if (unflushed_appends_ > 0 && (to_disk || unflushed_appends_ >= kAppendsPerFlush)) {
    file_->Flush();
    unflushed_appends_ = 0;
  }
  broken_ = false;
}

void RunJournal::ThrowIfBroken() const {
  if (broken_) {
    throw RunError(ErrorNumber::kPathFileAccessError,
                   "Path/File access error (the journal of this run could not be written, so "
                   "nothing more is changed)");
  }
}

void RunJournal::WillCreateFolder(const std::string& folder) {
  Add(JournalRecord::Kind::kFolderCreated, {&folder});
}

void RunJournal::WillMove(const std::string& old_path, const std::string& target_path) {
  Add(JournalRecord::Kind::kMove, {&old_path, &target_path});
  Write();
}

void RunJournal::Moved(const std::string& final_path) {
  Add(JournalRecord::Kind::kMoved, {&final_path});
}

void RunJournal::WillReplacePlaylist(const std::string& path, const std::string& old_bytes,
                                     const std::string& new_bytes) {
  Add(JournalRecord::Kind::kPlaylist, {&path, &old_bytes, &new_bytes});
  Write(true);
}

void RunJournal::WillRemoveFolder(const std::string& folder) {
  Add(JournalRecord::Kind::kFolderRemoved, {&folder});
  Write();
}

void RunJournal::Complete() {
  Add(JournalRecord::Kind::kComplete, {});
  Write(true);
}

void RunJournal::Undone() {
  Add(JournalRecord::Kind::kUndone, {});
  Write(true);
}

}  // namespace quillfold
