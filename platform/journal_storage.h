#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// One journal, open for appending. Appending hands the bytes to the system
// (they survive the process being killed); flushing makes what was appended
// survive a crash of the machine. Both throw RunError naming the journal
// when they fail, so that nothing is done that the journal could not hold.
class JournalFile {
 public:
  virtual ~JournalFile() = default;
  virtual void Append(std::string_view bytes) = 0;
  virtual void Flush() = 0;
};

// The folder the journals of every run live in. It lies outside any base
// folder, so it is not the organiser's file system. Names are plain file
// names without a separator.
class JournalStorage {
 public:
  virtual ~JournalStorage() = default;

  // Every journal's name, sorted byte for byte. A folder that does not exist
  // yet holds none; a folder that cannot be read throws RunError.
  virtual std::vector<std::string> ListJournals() = 0;

  // Hands the content of journal `name` to `take` in pieces, in order, until
  // `take` returns false or the journal ends, so that a large journal need
  // not be held whole. Throws RunError when it cannot be read.
  virtual void ReadJournalInPieces(const std::string& name,
                                   const std::function<bool(std::string_view)>& take) = 0;

  // Opens journal `name` for appending, creating it (and the folder) when
  // missing. Throws RunError when it cannot.
  virtual std::unique_ptr<JournalFile> OpenJournal(const std::string& name) = 0;

  // Removes journal `name`; a journal already gone is not a failure.
  virtual void RemoveJournal(const std::string& name) = 0;

  // Shortens journal `name` to its first `size` bytes, durably: a record cut
  // short by a crash or a full disk goes before anything is added behind
  // it. Throws RunError when it cannot.
  virtual void CutJournal(const std::string& name, std::size_t size) = 0;

  // The size of journal `name` in bytes; 0 when it cannot be told.
  virtual std::size_t JournalSize(const std::string& name) = 0;
};

// The journals in `folder` on the real disk.
class PosixJournalStorage final : public JournalStorage {
 public:
  explicit PosixJournalStorage(std::string folder);
  std::vector<std::string> ListJournals() override;
  void ReadJournalInPieces(const std::string& name,
                           const std::function<bool(std::string_view)>& take) override;
  std::unique_ptr<JournalFile> OpenJournal(const std::string& name) override;
  void RemoveJournal(const std::string& name) override;
  void CutJournal(const std::string& name, std::size_t size) override;
  std::size_t JournalSize(const std::string& name) override;

 private:
  std::string folder_;  // ends in "/"
};

// $XDG_STATE_HOME/quillfold/, or ~/.local/state/quillfold/ when that is not
// set to an absolute path ($HOME, else the password database, gives "~").
std::string DefaultJournalFolder();

}  // namespace quillfold
