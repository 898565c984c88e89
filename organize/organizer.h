#pragma once

#include <memory>
#include <string>
#include <vector>

#include "organize/organize_host.h"
#include "platform/file_system.h"
#include "platform/journal_storage.h"

namespace quillfold {

// The organize engine. One Organizer lives as long as its front end (the
// main window holds one for the program's whole life), because a run keeps
// state for the next one: BaseFolder, the found list and the playlist store
// are cleared and refilled by each run, not destroyed.
class Organizer {
 public:
  // With `journals`, every real run keeps a journal there, written ahead of
  // each change (organize/journal.h), so that it can be undone and a killed
  // run's playlists mended by the next run; without, runs keep none.
  // When `file_system` also offers UpcomingReads (platform/upcoming_reads.h),
  // each run announces the file tails it will read next.
  Organizer(FileSystem& file_system, OrganizeHost& host, JournalStorage* journals = nullptr);
  ~Organizer();
  Organizer(const Organizer&) = delete;
  Organizer& operator=(const Organizer&) = delete;

  // One press of "Go!". Everything it reads comes from the host (chosen path,
  // options, answers) and everything it produces goes to the disk, the
  // playlist store and the host's report. A failure that ends the run is
  // thrown as RunError, after the playlists changed so far have been written
  // back and listed. A call made while a run is in progress (from inside
  // HandlePendingEvents) does nothing.
  void OrganizeRun();

  bool running() const;

  // The base folder of the latest run, ending in the separator.
  const std::string& BaseFolder() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillfold
