#pragma once

#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "errors/run_error.h"
#include "platform/journal_storage.h"

namespace quillfold::testing {

// Journals in memory. `journals` holds every byte appended, as the system
// keeps a file's written bytes once the process is gone; a flush is counted
// and keeps what its journal holds for Flushed, which any thread may ask.
// `fail_append_at` / `fail_flush_at` (1-based, counted over all journals)
// make that call throw RunError without keeping anything, as a full disk
// would. `before_read` runs before each read of a journal.
class MemoryJournalStorage final : public JournalStorage {
 public:
  std::vector<std::string> ListJournals() override {
    std::vector<std::string> names;
    for (const auto& entry : journals) names.push_back(entry.first);
    return names;
  }
  // In small pieces, so that records lie across their ends.
  void ReadJournalInPieces(const std::string& name,
                           const std::function<bool(std::string_view)>& take) override {
    if (before_read) before_read(name);
    const auto found = journals.find(name);
    if (found == journals.end()) throw RunErrorFromOs(ENOENT, "reading", name);
    const std::string_view bytes = found->second;
    for (std::size_t at = 0; at < bytes.size() && take(bytes.substr(at, kPieceBytes));) {
      at += kPieceBytes;
    }
  }
  std::unique_ptr<JournalFile> OpenJournal(const std::string& name) override {
    journals[name];
    return std::make_unique<File>(*this, name);
  }
  void RemoveJournal(const std::string& name) override { journals.erase(name); }
  void CutJournal(const std::string& name, std::size_t size) override {
    journals[name].resize(size);
  }
  std::size_t JournalSize(const std::string& name) override {
    const auto found = journals.find(name);
    return found == journals.end() ? 0 : found->second.size();
  }

  // What each journal held at its last flush, one after another.
  std::string Flushed() {
    const std::lock_guard lock(flushed_mutex_);
    std::string flushed;
    for (const auto& [name, bytes] : flushed_) flushed += bytes;
    return flushed;
  }

  int fail_append_at = 0;
  int fail_flush_at = 0;
  std::function<void(const std::string&)> before_read;
  int appends = 0;
  int flushes = 0;
  std::map<std::string, std::string> journals;

 private:
  static constexpr std::size_t kPieceBytes = 100;

  class File final : public JournalFile {
   public:
    File(MemoryJournalStorage& storage, std::string name)
        : storage_(storage), name_(std::move(name)) {}
    void Append(std::string_view bytes) override {
      if (++storage_.appends == storage_.fail_append_at) Fail("writing");
      storage_.journals[name_] += bytes;
    }
    void Flush() override {
      if (++storage_.flushes == storage_.fail_flush_at) Fail("flushing");
      const std::lock_guard lock(storage_.flushed_mutex_);
      storage_.flushed_[name_] = storage_.journals[name_];
    }

   private:
    void Fail(std::string_view operation) const {
      throw RunErrorFromOs(ENOSPC, std::string(operation) + " the journal", name_);
    }
    MemoryJournalStorage& storage_;
    std::string name_;
  };
  std::mutex flushed_mutex_;
  std::map<std::string, std::string> flushed_;
};

}  // namespace quillfold::testing
