#include "organize/organizer.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "errors/run_error.h"
#include "organize/found_list.h"
#include "organize/journal.h"
#include "organize/place_file.h"
#include "organize/playlist_replacement.h"
#include "organize/playlist_store.h"
#include "organize/recovery.h"
#include "organize/report.h"
#include "organize/run_context.h"
#include "organize/target_folders.h"
#include "organize/tree_search.h"
#include "platform/path_helpers.h"
#include "platform/upcoming_reads.h"
#include "product/product.h"
#include "tags/genre_table.h"
#include "tags/read_song_tag.h"
#include "text/add_backslash.h"
#include "text/scope_exit.h"

namespace quillfold {
namespace {

// What PlaceFile reads of a file in the ID3v2 mode, read ahead on a worker.
void ReadSongTagAhead(FileSystem& file_system, const std::string& full_path) {
  SongTag tag;
  FileRead read;
  ReadSongTag(file_system, full_path, tag, read);
}

// The base folder's length is a 16-bit number in the program's model.
constexpr std::size_t kMaxBaseFolderLength = 32767;

// Whether a search tells the host the number found after each file.
enum class Progress { kQuiet, kReported };

// Ends a real run's journal however the run ends: complete once the
// playlists are written, failed otherwise, so that the next run mends them.
// Only a journal without either record is one of a killed run.
class JournalEnding {
 public:
  explicit JournalEnding(std::unique_ptr<RunJournal>& journal) : journal_(journal) {}
  JournalEnding(const JournalEnding&) = delete;
  JournalEnding& operator=(const JournalEnding&) = delete;
  // When a failure ends the run, a journal that cannot take its record
  // leaves that failure the one reported: the next run then mends the
  // playlists as after a kill.
  ~JournalEnding() {
    try {
      Finish();
    } catch (const std::exception&) {
    }
  }

  void PlaylistsWritten() { playlists_written_ = true; }
  // The run's normal end: a journal that cannot take the record fails it.
  void Finish() {
    if (journal_ == nullptr) return;
    const std::unique_ptr<RunJournal> journal = std::move(journal_);
    playlists_written_ ? journal->Complete() : journal->Failed();
  }

 private:
  std::unique_ptr<RunJournal>& journal_;
  bool playlists_written_ = false;
};

}  // namespace

class Organizer::Impl {
 public:
  Impl(FileSystem& file_system, OrganizeHost& host, JournalStorage* journals)
      : file_system_(file_system),
        host_(host),
        journals_(journals),
        upcoming_reads_(file_system.upcoming_reads()) {
    // Events only: a stop is answered between playlists, never inside one.
    playlists_.SetBetweenPieces([this] { host_.HandlePendingEvents(); });
  }

  void Run();

  bool running = false;
  std::string base_folder;

 private:
  // What one run has appended so far.
  struct RunState {
    bool files_listed = false;
    bool folders_removed = false;
  };

  // Between two steps: the front end's events, then its request to stop.
  void LetHostIn() {
    host_.HandlePendingEvents();
    if (host_.StopRequested()) throw RunStopped();
  }
  // Each call is one reading of chkDontDo, at the moment the run needs it.
  bool RealRun() { return host_.CurrentOptions().chkDontDo == 0; }
  SearchScope Scope(Progress progress, KeptListings* kept = nullptr,
                    std::vector<std::string>* links = nullptr) {
    return {file_system_, host_, base_folder, found_, progress == Progress::kReported, kept, links};
  }

  void TakeBaseFolder();
  bool Confirmed();
  void PlaylistPhase();
  void LoadPlaylists();
  void Search(const SearchScope& scope, std::span<const std::string_view> patterns,
              std::string_view what);
  std::vector<std::string> PlaylistNames(const std::vector<std::string>& links);
  void PerFilePhase(RunState& state, TargetFolders& target_folders);
  // Announces the read of file `index`: its ID3v2 and ID3v1 tags, or its
  // tail alone. False when the read-ahead takes no more for now.
  bool AnnounceRead(int index, bool id3v2);
  std::optional<RunError> PlaylistSection(const RunState& state, JournalEnding& journal);
  void FolderRemoval(RunState& state);
  void StartJournal();
  std::string RecoverInterruptedRuns();

  FileSystem& file_system_;
  OrganizeHost& host_;
  JournalStorage* journals_;
  std::unique_ptr<RunJournal> journal_;  // the present real run's, or null
  std::unique_ptr<FolderHold> hold_;     // the present real run's, or null
  UpcomingReads* upcoming_reads_;
  FoundList found_;
  PlaylistStore playlists_;
  // The playlist search's listings, for the music search over the same
  // tree: nothing on disk changes between the two.
  KeptListings kept_listings_;
};

void Organizer::Impl::Run() {
  // Folders held open by an earlier run may have been renamed since; and
  // nothing stays held once the run is over.
  file_system_.ForgetHeldFolders();
  const ScopeExit let_go([this] {
    hold_.reset();
    file_system_.ForgetHeldFolders();
  });
  TakeBaseFolder();
  host_.ClearReport();
  if (!Confirmed()) return;
  kept_listings_ = {};
  PlaylistPhase();
  const std::string recovered = RecoverInterruptedRuns();
  found_.Clear();
  kept_listings_.keep = false;
  Search(Scope(Progress::kReported, &kept_listings_), kMusicPatterns, "music files");
  kept_listings_ = {};
  if (found_.FoundCount() < 1) {
    host_.ShowMessage(NoFilesMessage(base_folder), std::string(kProductTitle));
    return;
  }
  host_.ShowReport();
  host_.AppendReport(ReportHeader(RealRun(), base_folder));
  if (!recovered.empty()) host_.AppendReport(recovered);
  RunState state;
  TargetFolders target_folders(file_system_, base_folder);
  StartJournal();
  JournalEnding journal(journal_);
  try {
    PerFilePhase(state, target_folders);
  } catch (...) {
    // The files moved so far stay moved, so their playlists are written
    // before the failure ends the run; the failure itself comes first.
    PlaylistSection(state, journal);
    throw;
  }
  if (std::optional<RunError> failure = PlaylistSection(state, journal)) throw *failure;
  FolderRemoval(state);
  journal.Finish();
  if (!state.files_listed && !state.folders_removed) host_.AppendReport(ClosingLine());
}

void Organizer::Impl::StartJournal() {
  journal_.reset();
  if (RealRun() && journals_ != nullptr) {
    journal_ = RunJournal::Begin(*journals_, base_folder, BaseKey(file_system_, base_folder),
                                 host_.CurrentOptions());
  }
}

// A killed run's playlists still name the files it moved where they were,
// and no later run would move those files again; so a real run finishes
// those playlists first, each killed run reloading them for the next. With
// playlists left alone this run, the killed runs wait for one that updates
// them; a file a killed move left under two names loses its old one either
// way. An undo cut short must be finished by undo before anything else.
std::string Organizer::Impl::RecoverInterruptedRuns() {
  std::string report;
  if (!RealRun() || journals_ == nullptr) return report;
  for (const RunSummary& summary : RunsOnBase(*journals_, BaseKey(file_system_, base_folder))) {
    if (summary.undo_started && !summary.undone) {
      throw UnfinishedUndoError(RunTimeText(summary.started_ns), base_folder);
    }
    if (summary.complete || summary.undone) continue;
    const RunRecord run = ReadRun(*journals_, summary, base_folder);
    // Mending changes the disk: no listing from before it is reused.
    kept_listings_.by_folder.clear();
    if (host_.CurrentOptions().chkUpdateM3U != 1) {
      DropSecondNames(file_system_, run, host_);
      continue;
    }
    report += MendInterruptedRun(file_system_, *journals_, base_folder, run, playlists_, host_);
    PlaylistPhase();
  }
  return report;
}

void Organizer::Impl::TakeBaseFolder() {
  base_folder = AddBackslash(host_.ChosenPath(), file_system_.separator());
  if (base_folder.size() > kMaxBaseFolderLength) {
    throw RunError(ErrorNumber::kOverflow,
                   "Overflow (the base folder's path is longer than 32,767 characters)");
  }
}

// A real run holds its base from before the question until it ends, so a
// second one is refused before it asks, and never mistakes the first one's
// unfinished journal for a killed run's.
bool Organizer::Impl::Confirmed() {
  if (!RealRun()) return true;
  hold_ = file_system_.HoldForRun(base_folder);
  if (!hold_) throw BaseHeldError(base_folder);
  return host_.AskYesNoCancel(ConfirmationPrompt(base_folder), std::string(kConfirmationCaption)) ==
         Answer::kYes;
}

// Every playlist is found and, in a real run, read before any file moves, so
// that a playlist that cannot be read or is too long ends the run with
// nothing changed.
void Organizer::Impl::PlaylistPhase() {
  if (host_.CurrentOptions().chkUpdateM3U != 1) {
    playlists_.SetPlaylistCount(0);
    return;
  }
  found_.Clear();
  playlists_.Clear();
  playlists_.SetBaseFolder(base_folder, file_system_.separator());
  kept_listings_.keep = true;
  std::vector<std::string> links;
  Search(Scope(Progress::kQuiet, &kept_listings_, &links), kPlaylistPatterns, "playlists");
  const std::vector<std::string> names = PlaylistNames(links);
  playlists_.SetPlaylistCount(static_cast<int>(names.size()));
  for (int slot = 1; slot <= playlists_.PlaylistCount(); ++slot) {
    playlists_.SetPlaylistName(slot, names[slot - 1]);
  }
  LoadPlaylists();
}

// Nothing has changed on disk yet, so memory running out here ends the run
// cleanly, and the error says what would not fit.
void Organizer::Impl::LoadPlaylists() {
  int slot = 1;
  try {
    for (; slot <= playlists_.PlaylistCount(); ++slot) {
      if (!RealRun()) continue;
      LetHostIn();
      const std::string why = LoadPlaylist(file_system_, base_folder, playlists_, slot);
      if (!why.empty()) host_.PlaylistSkipped(base_folder + playlists_.PlaylistName(slot), why);
    }
  } catch (const std::bad_alloc&) {
    throw RunError(ErrorNumber::kOutOfMemory,
                   "Out of memory (the " + std::to_string(slot) + " playlists read up to \"" +
                       playlists_.PlaylistName(slot) + "\" are more than memory holds)");
  }
}

void Organizer::Impl::Search(const SearchScope& scope, std::span<const std::string_view> patterns,
                             std::string_view what) {
  try {
    FindFiles(scope, base_folder, patterns);
  } catch (const std::bad_alloc&) {
    throw RunError(ErrorNumber::kOutOfMemory, "Out of memory (the " +
                                                  std::to_string(found_.FoundCount()) + " " +
                                                  std::string(what) + " found so far under \"" +
                                                  base_folder + "\" are more than memory holds)");
  }
}

// The playlists found, then the files that playlist links lead to: each
// once, and only inside the base, where the run is allowed to write. The
// base is compared with its own links followed, so a base reached through
// a linked folder still holds its files.
std::vector<std::string> Organizer::Impl::PlaylistNames(const std::vector<std::string>& links) {
  std::vector<std::string> names = found_.entries();
  if (links.empty()) return names;
  const std::optional<ResolvedPath> base = file_system_.FollowLinks(base_folder);
  std::string inside = base ? base->path : std::string();
  if (!inside.empty() && inside.back() != file_system_.separator()) {
    inside += file_system_.separator();
  }
  for (const std::string& link : links) {
    const std::optional<ResolvedPath> target = file_system_.FollowLinks(base_folder + link);
    if (!target || target->is_folder) {
      host_.PlaylistLinkSkipped(base_folder + link, "it leads to no file");
    } else if (inside.empty() || !target->path.starts_with(inside)) {
      host_.PlaylistLinkSkipped(base_folder + link, "it leads outside the base folder");
    } else if (const std::string name = target->path.substr(inside.size());
               std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(name);
    }
  }
  return names;
}

void Organizer::Impl::PerFilePhase(RunState& state, TargetFolders& target_folders) {
  RunContext context{file_system_, host_, base_folder, playlists_, target_folders, journal_.get()};
  const int count = found_.FoundCount();
  const ScopeExit forget_announced([this] {
    if (upcoming_reads_) upcoming_reads_->ForgetExpected();
  });
  // Only what is read ahead follows this; each file reads the option itself.
  const bool id3v2 = upcoming_reads_ && host_.CurrentOptions().chkID3v2 == 1;
  int next_announced = 0;
  for (int index = 0; index < count; ++index) {
    LetHostIn();
    // As many of the files after this one as the read-ahead takes.
    next_announced = std::max(next_announced, index + 1);
    while (next_announced < count && AnnounceRead(next_announced, id3v2)) ++next_announced;
    host_.PlacingProgress(index + 1, count);
    const std::optional<std::string> line =
        PlaceFile(context, std::string(found_[index]), RealRun());
    if (!line) continue;
    if (!state.files_listed) {
      host_.AppendReport(FileSectionHeader(RealRun()));
      state.files_listed = true;
    }
    host_.AppendReport(ListedLine(*line));
  }
  if (context.files_with_only_id3v2 > 0) host_.FilesWithOnlyId3v2(context.files_with_only_id3v2);
}

bool Organizer::Impl::AnnounceRead(int index, bool id3v2) {
  if (!upcoming_reads_) return false;
  const std::string path = std::string(base_folder).append(found_[index]);
  return id3v2 ? upcoming_reads_->ExpectReadsOf(path, ReadSongTagAhead, kSongTagReadsAtMost)
               : upcoming_reads_->ExpectTail(path);
}

// Writes back and lists the changed playlists (a report-only run lists every
// playlist found). A playlist that cannot be written is not listed and does
// not keep the others from being written; the first such failure is
// returned for the caller to end the run with.
std::optional<RunError> Organizer::Impl::PlaylistSection(const RunState& state,
                                                         JournalEnding& journal) {
  const int count = playlists_.PlaylistCount();
  if (!state.files_listed || count <= 0) {
    journal.PlaylistsWritten();
    return std::nullopt;
  }
  host_.AppendReport(PlaylistSectionHeader(RealRun()));
  // Asked after the moves: where letter case does not tell names apart, a
  // line in other letter case named a moved file and now names nothing.
  const NamesOtherFile names_other_file = [this](const std::string& path) {
    return PathExists(file_system_, path);
  };
  std::optional<RunError> first_failure;
  std::vector<int> listed;
  if (RealRun()) {
    PlaylistsReplaced replaced = ReplaceChangedPlaylists(file_system_, base_folder, playlists_,
                                                         names_other_file, journal_.get(), host_);
    listed = std::move(replaced.written);
    first_failure = std::move(replaced.first_failure);
  } else {
    playlists_.FollowMovedFiles(names_other_file);
    for (int slot = 1; slot <= count; ++slot) listed.push_back(slot);
  }
  for (const int slot : listed) host_.AppendReport(ListedLine(playlists_.PlaylistName(slot)));
  if (!first_failure) journal.PlaylistsWritten();
  return first_failure;
}

// Removes the folders that are empty, search after search, so that a nested
// chain goes deepest first, one level per pass. A folder is listed once it is
// gone, so the report never names a folder that is still there.
void Organizer::Impl::FolderRemoval(RunState& state) {
  const bool real_run = RealRun();
  const bool remove_folders = host_.CurrentOptions().chkDelDirs == 1;
  if (!real_run || !remove_folders) return;
  for (;;) {
    found_.Clear();
    FindEmptyFolders(Scope(Progress::kQuiet), base_folder);
    if (found_.FoundCount() == 0) return;
    if (!state.folders_removed) {
      host_.AppendReport(RemovedFoldersHeader());
      state.folders_removed = true;
    }
    for (const std::string& folder : found_.entries()) {
      LetHostIn();
      if (journal_ != nullptr) {
        // Undo makes it again with this owner, group and mode.
        const std::optional<FileIdentity> identity = file_system_.IdentityOf(folder);
        if (!identity) throw RunErrorFromOs(ENOENT, "removing folder", folder);
        journal_->WillRemoveFolder(folder, *identity);
      }
      file_system_.RemoveEmptyFolder(folder);
      host_.AppendReport(ListedLine(folder));
    }
  }
}

Organizer::Organizer(FileSystem& file_system, OrganizeHost& host, JournalStorage* journals)
    : impl_(std::make_unique<Impl>(file_system, host, journals)) {
  // The table is the program's one and only; filling it again changes
  // nothing, and a front end that forgot would otherwise lose the genre
  // folders without a word.
  FillGenreTable();
}

Organizer::~Organizer() = default;

void Organizer::OrganizeRun() {
  if (impl_->running) return;
  impl_->running = true;
  const ScopeExit clear_running([this] { impl_->running = false; });
  WithRunErrorsOnly([this] { impl_->Run(); });
}

bool Organizer::running() const { return impl_->running; }

const std::string& Organizer::BaseFolder() const { return impl_->base_folder; }

}  // namespace quillfold
