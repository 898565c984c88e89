#include "tests/support/memory_journal_storage.h"

#include <cerrno>

#include "errors/run_error.h"

namespace quillfold::testing {
namespace {

class MemoryJournalFile final : public JournalFile {
 public:
  MemoryJournalFile(MemoryJournalStorage& storage, std::string name)
      : storage_(storage), name_(std::move(name)) {}

  void Append(std::string_view bytes) override {
    if (++storage_.appends == storage_.fail_append_at) Fail("writing");
    storage_.journals[name_] += bytes;
  }
  void Flush() override {
    if (++storage_.flushes == storage_.fail_flush_at) Fail("flushing");
  }

 private:
  void Fail(std::string_view operation) const {
    throw RunErrorFromOs(ENOSPC, std::string(operation) + " the journal", name_);
  }

  MemoryJournalStorage& storage_;
  std::string name_;
};

}  // namespace

std::vector<std::string> MemoryJournalStorage::ListJournals() {
  std::vector<std::string> names;
  for (const auto& entry : journals) names.push_back(entry.first);
  return names;
}

std::string MemoryJournalStorage::ReadJournal(const std::string& name) {
  const auto found = journals.find(name);
  if (found == journals.end()) throw RunErrorFromOs(ENOENT, "reading", name);
  return found->second;
}

std::unique_ptr<JournalFile> MemoryJournalStorage::OpenJournal(const std::string& name) {
  journals[name];
  return std::make_unique<MemoryJournalFile>(*this, name);
}

void MemoryJournalStorage::RemoveJournal(const std::string& name) { journals.erase(name); }

}  // namespace quillfold::testing
