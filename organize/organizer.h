#pragma once

#include <memory>
#include <string>
#include <vector>

#include "organize/organize_host.h"
#include "platform/file_system.h"

namespace quillfold {

// The organize engine. One Organizer lives as long as its front end (the
// main window holds one for the program's whole life), because a run keeps
// state for the next one: BaseFolder, the found list and the playlist store
// are cleared and refilled by each run, not destroyed.
class Organizer {
 public:
  Organizer(FileSystem& file_system, OrganizeHost& host);
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
