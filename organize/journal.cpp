#include "organize/journal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>

#include "errors/run_error.h"
#include "organize/journal_format.h"
#include "platform/path_helpers.h"

namespace quillfold {
namespace {

using Kind = JournalRecord::Kind;

constexpr std::string_view kSuffix = ".journal";
constexpr std::size_t kPrefixLength = 17;  // 16 hex digits and "-"
constexpr std::size_t kSequenceDigits = 20;

// The base folder's journals share a prefix; the run's sequence number
// follows, zero-padded, so byte order is the order the runs were started
// in, whatever the clock said.
std::string BasePrefix(const std::string& base_folder) {
  char text[kPrefixLength + 1];
  std::snprintf(text, sizeof text, "%016llx-",
                static_cast<unsigned long long>(ContentHash(base_folder)));
  return text;
}

// The sequence number of a journal's name; nullopt for a file of another
// program's making in the folder.
std::optional<std::uint64_t> SequenceOf(std::string_view name) {
  if (name.size() != kPrefixLength + kSequenceDigits + kSuffix.size() || !name.ends_with(kSuffix) ||
      name[kPrefixLength - 1] != '-') {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(kPrefixLength, kSequenceDigits);
  std::uint64_t sequence = 0;
  const auto [end, error] = std::from_chars(digits.begin(), digits.end(), sequence);
  if (error != std::errc() || end != digits.end()) return std::nullopt;
  return sequence;
}

std::string NewJournalName(const std::vector<std::string>& names, const std::string& base) {
  std::uint64_t last = 0;
  for (const std::string& name : names) last = std::max(last, SequenceOf(name).value_or(0));
  char digits[kSequenceDigits + 1];
  std::snprintf(digits, sizeof digits, "%020llu", static_cast<unsigned long long>(last + 1));
  return BasePrefix(base) + digits + std::string(kSuffix);
}

// Keeps the last kJournalsKeptPerBase journals of each base (one fewer of
// the base of `new_name`, which is about to be made), and of those the
// newest that fit in kJournalFolderBytes, across all bases, so that a base
// gone for good does not keep its journals for ever.
void Prune(JournalStorage& storage, const std::vector<std::string>& names,
           const std::string& new_name) {
  std::vector<std::pair<std::uint64_t, std::string>> journals;
  for (const std::string& name : names) {
    if (const auto sequence = SequenceOf(name)) journals.emplace_back(*sequence, name);
  }
  std::sort(journals.rbegin(), journals.rend());
  std::map<std::string, std::size_t> kept_per_base;
  kept_per_base[new_name.substr(0, kPrefixLength)] = 1;
  std::size_t bytes = 0;
  for (const auto& [sequence, name] : journals) {
    std::size_t& kept = kept_per_base[name.substr(0, kPrefixLength)];
    bytes += storage.JournalSize(name);
    if (++kept <= kJournalsKeptPerBase && bytes <= kJournalFolderBytes) continue;
    storage.RemoveJournal(name);
  }
}

std::string OptionsDigits(const OrganizeOptions& options) {
  std::string digits;
  for (const OrganizeOption& option : kOrganizeOptions) {
    digits += options.*option.field == 1 ? '1' : '0';
  }
  // chkID3v2, after the six, so a journal written before it reads the same.
  digits += options.chkID3v2 == 1 ? '1' : '0';
  return digits;
}

std::int64_t NumberOr0(const std::string& text) {
  std::int64_t number = 0;
  std::from_chars(text.data(), text.data() + text.size(), number);
  return number;
}

// Puts `path`, when it was recorded under `from`, under `to`.
void Rebase(std::string& path, const std::string& from, const std::string& to) {
  if (path.starts_with(from)) path.replace(0, from.size(), to);
}

// Puts each path `run` recorded under `from` under `to`.
void Rebase(RunRecord& run, const std::string& from, const std::string& to) {
  for (JournaledMove& move : run.moves) {
    Rebase(move.old_path, from, to);
    for (std::string& target : move.targets) Rebase(target, from, to);
  }
  // The path comes first in every other record that names one.
  for (JournalRecord& record : run.records) {
    if (!record.fields.empty()) Rebase(record.fields.front(), from, to);
  }
}

std::string MoveNumbersText(const std::vector<std::uint32_t>& moves) {
  std::string text;
  for (const std::uint32_t move : moves) {
    if (!text.empty()) text += ' ';
    text += move == kLineUnchanged ? "-" : std::to_string(move);
  }
  return text;
}

bool BeginsWithRun(const ParsedJournal& parsed) {
  return !parsed.records.empty() && parsed.records.front().kind == Kind::kRun;
}

// What `parsed`, which BeginsWithRun, says of its run.
RunSummary SummaryOf(std::string name, const ParsedJournal& parsed) {
  const std::vector<std::string>& run_fields = parsed.records.front().fields;
  RunSummary run;
  run.name = std::move(name);
  run.recorded_base = run_fields[0];
  run.started_ns = NumberOr0(run_fields[2]);
  run.whole_bytes = parsed.whole_bytes;
  run.complete = parsed.complete;
  run.undo_started = parsed.undo_started;
  run.undone = parsed.undone;
  // chkUpdateM3U is the sixth digit; chkID3v2's may follow it.
  run.playlists_updated = run_fields[1].size() >= 6 && run_fields[1][5] == '1';
  run.files_moved = parsed.files_moved;
  return run;
}

}  // namespace

std::string BaseKey(FileSystem& file_system, const std::string& base_folder) {
  const std::optional<ResolvedPath> real = file_system.FollowLinks(base_folder);
  const std::optional<FileIdentity> identity =
      real ? file_system.IdentityByWholePath(real->path) : std::nullopt;
  return identity ? "identity:" + IdentityText(*identity) : "path:" + base_folder;
}

std::vector<RunSummary> RunsOnBase(JournalStorage& storage, const std::string& base_key) {
  const std::string prefix = BasePrefix(base_key);
  std::vector<RunSummary> runs;
  for (const std::string& name : storage.ListJournals()) {
    if (!name.starts_with(prefix) || !SequenceOf(name)) continue;
    JournalParser parser(KeptRecords::kFirstOnly);
    storage.ReadJournalInPieces(name, [&](std::string_view piece) { return parser.Take(piece); });
    ParsedJournal parsed = std::move(parser).Finish();
    // Another base whose key hashes alike is not ours.
    if (!BeginsWithRun(parsed) || parsed.records.front().fields[3] != base_key) continue;
    runs.push_back(SummaryOf(name, parsed));
  }
  return runs;
}

RunRecord ReadRun(JournalStorage& storage, const RunSummary& run, const std::string& base_folder) {
  // Read a piece at a time, each move's records taken into its move as they
  // come: the run is held once, in the form its undo or mend uses.
  std::vector<JournaledMove> moves;
  std::vector<JournalRecord> records;
  JournalParser parser([&](JournalRecord&& record) {
    if (!TakeMoveRecord(record, moves)) records.push_back(std::move(record));
  });
  storage.ReadJournalInPieces(run.name, [&](std::string_view piece) { return parser.Take(piece); });
  const ParsedJournal parsed = std::move(parser).Finish();
  // Replaced behind this program's back since it was listed: nothing in it
  // may be undone, mended or cut.
  if (!BeginsWithRun(parsed)) {
    throw RunError(ErrorNumber::kPathFileAccessError,
                   "Path/File access error (the journal \"" + run.name +
                       "\" no longer holds the run it held a moment ago, so nothing is changed)");
  }
  RunRecord whole{SummaryOf(run.name, parsed), std::move(moves), std::move(records)};
  // Each path put under `base_folder` where the run named the base otherwise.
  if (whole.recorded_base != base_folder) Rebase(whole, whole.recorded_base, base_folder);
  return whole;
}

std::unique_ptr<RunJournal> RunJournal::Begin(JournalStorage& storage,
                                              const std::string& base_folder,
                                              const std::string& base_key,
                                              const OrganizeOptions& options) {
  const std::vector<std::string> names = storage.ListJournals();
  std::unique_ptr<RunJournal> journal(new RunJournal(storage, NewJournalName(names, base_key)));
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  journal->Add(Kind::kRun, {base_folder, OptionsDigits(options),
                            std::to_string(std::chrono::nanoseconds(now).count()), base_key});
  return journal;
}

RunJournal::RunJournal(JournalStorage& storage, std::string name)
    : storage_(storage), name_(std::move(name)) {}

RunJournal::RunJournal(JournalStorage& storage, const RunSummary& run)
    : RunJournal(storage, run.name) {
  if (storage.JournalSize(run.name) != run.whole_bytes)
    storage.CutJournal(run.name, run.whole_bytes);
  file_ = storage.OpenJournal(run.name);
}

void RunJournal::Open() {
  Prune(storage_, storage_.ListJournals(), name_);
  file_ = storage_.OpenJournal(name_);
}

void RunJournal::Add(Kind kind, std::initializer_list<std::string_view> fields) {
  Add(kind, std::span(fields.begin(), fields.size()));
}

void RunJournal::Add(Kind kind, std::span<const std::string_view> fields) {
  ThrowIfBroken();
  AppendRecord(pending_, kind, fields);
  holds_change_ |= kind != Kind::kRun && kind != Kind::kComplete && kind != Kind::kFailed;
}

// After a failed append the journal may end in part of a record; it is cut
// off before the next run adds to it. A journal that failed once takes
// nothing more, and nothing more is changed.
void RunJournal::Write(Durability durability) {
  ThrowIfBroken();
  if (file_ == nullptr && !holds_change_) return;
  broken_ = true;
  if (file_ == nullptr) Open();
  if (!pending_.empty()) {
    file_->Append(pending_);
    pending_.clear();
    ++unflushed_appends_;
  }
  const auto now = std::chrono::steady_clock::now();
  if (unflushed_appends_ > 0 &&
      (durability == Durability::kToDisk || now - last_flush_ >= kFlushInterval)) {
    file_->Flush();
    unflushed_appends_ = 0;
    last_flush_ = now;
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
  Add(Kind::kFolderCreated, {folder});
}

void RunJournal::WillTry(const std::string& old_path, const std::string& target,
                         const FileIdentity& file) {
  if (old_path != last_tried_ || !file.SameFile(last_tried_identity_)) ++moves_tried_;
  last_tried_ = old_path;
  last_tried_identity_ = file;
  Add(Kind::kTry, {old_path, target, IdentityText(file)});
  Write();
}

void RunJournal::Moved(const std::string& final_path) {
  last_tried_.clear();
  Add(Kind::kMoved, {final_path});
}

void RunJournal::WillReplacePlaylist(const std::string& path, ContentChange change,
                                     Durability durability) {
  std::vector<std::string> fields = {
      path, std::to_string(change.old_size), std::to_string(change.old_hash),
      std::to_string(change.new_size), std::to_string(change.new_hash)};
  for (ChangedStretch& stretch : change.stretches) {
    // Built by appending: g++ 12 at -O3 takes a literal + string for an
    // overlapping copy.
    std::string offset(stretch.moves.empty() ? "" : "=");
    offset += std::to_string(stretch.offset);
    fields.push_back(std::move(offset));
    fields.push_back(std::to_string(stretch.length));
    fields.push_back(stretch.moves.empty() ? std::move(stretch.old_bytes)
                                           : MoveNumbersText(stretch.moves));
  }
  const std::vector<std::string_view> views(fields.begin(), fields.end());
  Add(Kind::kPlaylist, views);
  Write(durability);
}

void RunJournal::WillRemoveFolder(const std::string& folder, const FileIdentity& identity) {
  Add(Kind::kFolderRemoved, {folder, std::to_string(identity.mode), std::to_string(identity.owner),
                             std::to_string(identity.group)});
  Write();
}

void RunJournal::Complete() {
  Add(Kind::kComplete, {});
  Write(Durability::kToDisk);
}

void RunJournal::Failed() {
  Add(Kind::kFailed, {});
  Write(Durability::kToDisk);
}

void RunJournal::UndoStarted() {
  Add(Kind::kUndoStarted, {});
  Write(Durability::kToDisk);
}

void RunJournal::Undone() {
  Add(Kind::kUndone, {});
  Write(Durability::kToDisk);
}

}  // namespace quillfold
