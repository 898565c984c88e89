#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/journal_storage.h"

namespace quillfold::testing {

// Journals in memory. `journals` holds every byte appended, as the system
// keeps a file's written bytes once the process is gone; a flush changes
// nothing but is counted. `fail_append_at` / `fail_flush_at` (1-based,
// counted over all journals) make that call throw RunError without keeping
// anything, as a full disk would.
class MemoryJournalStorage final : public JournalStorage {
 public:
  std::vector<std::string> ListJournals() override;
  std::string ReadJournal(const std::string& name) override;
  std::unique_ptr<JournalFile> OpenJournal(const std::string& name) override;
  void RemoveJournal(const std::string& name) override;

  int fail_append_at = 0;
  int fail_flush_at = 0;
  int appends = 0;
  int flushes = 0;
  std::map<std::string, std::string> journals;
};

}  // namespace quillfold::testing
