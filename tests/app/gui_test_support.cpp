#include "tests/app/gui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <memory>

#include "app/folder_list.h"
#include "app/report_window.h"
#include "platform/posix_file_system.h"
#include "settings/hive_format.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace quillfold::testing {
namespace {

// The application exists only while tests run: listing the tests (as test
// discovery does at build time) needs no display at all.
class ApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "app_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

WindowTest::WindowTest() : registry_(root_ / "hive"), file_system_(RealFileSystem()) {
  MakeFolders(root_ / "work");
  in_work_ = std::make_unique<CurrentFolderScope>(root_ / "work");
}

std::string WindowTest::work() const { return root_ / "work"; }

std::unique_ptr<MainWindow> WindowTest::OpenWindow(bool journaled) {
  FixedVolumes volumes(volumes_);
  auto window = std::make_unique<MainWindow>(file_system_, registry_, volumes, dialogs_,
                                             journaled ? &journals_ : nullptr);
  window->show();
  return window;
}

std::unique_ptr<MainWindow> WindowTest::OpenForRealRun(bool journaled) {
  auto window = OpenWindow(journaled);
  Find<QCheckBox>(*window, "chkDontDo")->setChecked(false);
  return window;
}

void WindowTest::StoreSetting(std::string_view name, const std::string& text) {
  EnsureRegKey(registry_, kSettingsRoot, kSettingsKeyPath);
  WriteSetting(registry_, kSettingsRoot, kSettingsKeyPath, name, RegValue(text), REG_SZ);
}

std::string WindowTest::StoredSetting(std::string_view name) {
  return RegValueText(ReadSetting(registry_, kSettingsRoot, kSettingsKeyPath, name));
}

std::vector<std::string> WindowTest::StoredNames() {
  std::vector<std::string> names;
  if (!std::filesystem::exists(root_ / "hive/HKEY_LOCAL_MACHINE.reg")) return names;
  const ParsedHive parsed =
      ParseHive("HKEY_LOCAL_MACHINE", ReadFile(root_ / "hive/HKEY_LOCAL_MACHINE.reg"));
  const HiveKey* key = FindKey(parsed.hive, kSettingsKeyPath);
  EXPECT_NE(key, nullptr);
  if (key != nullptr) {
    for (const HiveValue& value : key->values) names.push_back(value.name);
  }
  return names;
}

QTreeWidgetItem* EntryFor(const MainWindow& window, const std::string& path) {
  auto* list = window.findChild<FolderList*>(QStringLiteral("Dir1"));
  for (QTreeWidgetItemIterator it(list); *it != nullptr; ++it) {
    if ((*it)->data(0, Qt::UserRole).toByteArray().toStdString() == path) return *it;
  }
  return nullptr;
}

std::string LabelText(const MainWindow& window) {
  return window.findChild<QLineEdit*>(QStringLiteral("lblPath"))->text().toStdString();
}

std::string ReportText(const MainWindow& window) {
  EXPECT_NE(window.report_window(), nullptr);
  if (window.report_window() == nullptr) return {};
  return window.report_window()->txtResults()->toPlainText().toStdString();
}

void PressGo(MainWindow& window) { Find<QPushButton>(window, "cmdGo")->click(); }

}  // namespace quillfold::testing
