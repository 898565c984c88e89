#include "tests/app/gui_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLineEdit>
#include <QTreeWidgetItemIterator>
#include <filesystem>

#include "app/folder_list.h"
#include "platform/posix_file_system.h"
#include "settings/hive_format.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace quillfold::testing {

CurrentFolderScope::CurrentFolderScope(const std::string& folder)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

CurrentFolderScope::~CurrentFolderScope() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

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

}  // namespace quillfold::testing
