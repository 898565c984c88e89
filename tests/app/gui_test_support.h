#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/volume_table.h"
#include "settings/file_registry.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_journal_storage.h"
#include "tests/support/recording_error_host.h"
#include "tests/support/temp_folder.h"

class QTreeWidgetItem;

// Readable QStrings in failure messages.
inline std::ostream& operator<<(std::ostream& os, const QString& text) {
  return os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* os) { *os << text; }

namespace quillfold::testing {

// Answers the window's message boxes and records their texts (captions are
// the boxes' decoration).
class FakeDialogs final : public Dialogs {
 public:
  void ShowMessage(QWidget*, const std::string& text, const std::string&) override {
    messages.push_back(text);
  }
  Answer AskYesNoCancel(QWidget*, const std::string& prompt, const std::string&) override {
    questions.push_back(prompt);
    return answer;
  }
  bool AskYesNo(QWidget*, const std::string& prompt, const std::string&) override {
    questions.push_back(prompt);
    return yes_no_answer;
  }

  Answer answer = Answer::kYes;
  bool yes_no_answer = true;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
};

class FixedVolumes final : public VolumeSource {
 public:
  explicit FixedVolumes(std::vector<Volume> volumes) : volumes_(std::move(volumes)) {}
  std::vector<Volume> MountedVolumes() override { return volumes_; }

 private:
  std::vector<Volume> volumes_;
};

// The process's current folder, changed for the life of the object.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::string& folder) : previous_(CurrentFolder()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolderScope() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  static std::string CurrentFolder() { return std::filesystem::current_path().string(); }
  std::string previous_;
};

// A temporary tree to start in, a private settings hive and the volumes the
// drive list offers: "/" and, by default, nothing else.
//   root/work/     the process's current folder
//   root/hive/     the settings
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();

  // The work folder without its trailing "/", as the folder list names it.
  std::string work() const;
  // With `journaled`, its real runs keep journals in `journals_`.
  std::unique_ptr<MainWindow> OpenWindow(bool journaled = false);
  // A window whose "Go!" moves files ("Report Only" unticked).
  std::unique_ptr<MainWindow> OpenForRealRun(bool journaled = false);
  void StoreSetting(std::string_view name, const std::string& text);
  std::string StoredSetting(std::string_view name);
  // The names of the stored settings in the order they were first written;
  // none when nothing was saved.
  std::vector<std::string> StoredNames();

  TempFolder root_;
  std::unique_ptr<CurrentFolderScope> in_work_;
  FileRegistry registry_;
  FaultyFileSystem file_system_;
  FakeDialogs dialogs_;
  MemoryJournalStorage journals_;
  std::vector<Volume> volumes_ = {{"/", ""}};
};

template <typename Widget>
Widget* Find(const QObject& parent, const char* name) {
  Widget* found = parent.findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << "no " << name;
  return found;
}

// The folder list's entry whose full path is `path`, or null.
QTreeWidgetItem* EntryFor(const MainWindow& window, const std::string& path);
std::string LabelText(const MainWindow& window);
// The report window's text, line breaks as "\n"; fails the test when the
// window has no report window yet.
std::string ReportText(const MainWindow& window);
void PressGo(MainWindow& window);

}  // namespace quillfold::testing
