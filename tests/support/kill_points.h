#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/journal_storage.h"

namespace quillfold::testing {

// Ends the process the way SIGKILL does (no destructor, no flush, nothing
// more written) at the `kill_at`th point passed, counting from 1.
// The run's thread and its playlist writer both pass points.
struct KillPoints {
  static constexpr int kKilled = 99;
  int kill_at = 0;
  std::atomic<int> passed = 0;
  void Pass() {
    if (++passed == kill_at) _exit(kKilled);
  }
};

// Runs `body` in a child process, which ends with `body`'s result as its
// exit status and never returns here; the child's process id.
template <typename Body>
pid_t StartChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

// The wait status of child `pid` once it has ended.
inline int WaitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// Runs `work` in a child process and tells whether it was killed at one of
// its points (false: it ran to its end). Work that throws fails the test:
// taken as an end, it would let a kill test stop short of its last point.
inline bool KilledInChild(const std::function<void()>& work) {
  constexpr int kThrew = 98;
  const int status = WaitFor(StartChild([&] {
    try {
      work();
    } catch (...) {
      return kThrew;
    }
    return 0;
  }));
  EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == kThrew) << "the work in the child threw";
  return WIFEXITED(status) && WEXITSTATUS(status) == KillPoints::kKilled;
}

// Journals on the real disk, passing a kill point before and after each
// append and flush.
class KillingJournalStorage final : public JournalStorage {
 public:
  KillingJournalStorage(JournalStorage& inner, KillPoints& points)
      : inner_(inner), points_(points) {}
  std::vector<std::string> ListJournals() override { return inner_.ListJournals(); }
  void ReadJournalInPieces(const std::string& name,
                           const std::function<bool(std::string_view)>& take) override {
    inner_.ReadJournalInPieces(name, take);
  }
  std::unique_ptr<JournalFile> OpenJournal(const std::string& name) override {
    return std::make_unique<File>(inner_.OpenJournal(name), points_);
  }
  void RemoveJournal(const std::string& name) override { inner_.RemoveJournal(name); }
  void CutJournal(const std::string& name, std::size_t size) override {
    inner_.CutJournal(name, size);
  }
  std::size_t JournalSize(const std::string& name) override { return inner_.JournalSize(name); }

 private:
  class File final : public JournalFile {
   public:
    File(std::unique_ptr<JournalFile> inner, KillPoints& points)
        : inner_(std::move(inner)), points_(points) {}
    void Append(std::string_view bytes) override {
      points_.Pass();
      inner_->Append(bytes);
      points_.Pass();
    }
    void Flush() override { inner_->Flush(); }

   private:
    std::unique_ptr<JournalFile> inner_;
    KillPoints& points_;
  };
  JournalStorage& inner_;
  KillPoints& points_;
};

}  // namespace quillfold::testing
