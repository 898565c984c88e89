#include "tests/app/gui_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLabel>
#include <QTreeWidgetItemIterator>
#include <filesystem>

#include "app/folder_list.h"
#include "platform/posix_file_system.h"
#include "settings/mdl_registry.h"
#include "settings/settings_key.h"

namespace quillfold::testing {

std::int32_t RecordingRegistry::CreateKey(HKEY root, std::string_view path, HKEY& key) {
  changes.push_back("create:" + std::string(path));
  return inner_.CreateKey(root, path, key);
}

std::int32_t RecordingRegistry::OpenKey(HKEY root, std::string_view path, HKEY& key) {
  return inner_.OpenKey(root, path, key);
}

std::int32_t RecordingRegistry::QueryValue(HKEY key, std::string_view name, std::int32_t& type,
                                           std::uint8_t* data, std::uint32_t& size) {
  return inner_.QueryValue(key, name, type, data, size);
}

std::int32_t RecordingRegistry::SetValue(HKEY key, std::string_view name, std::int32_t type,
                                         const std::uint8_t* data, std::uint32_t size) {
  changes.push_back("set:" + std::string(name));
  return inner_.SetValue(key, name, type, data, size);
}

std::int32_t RecordingRegistry::CloseKey(HKEY key) { return inner_.CloseKey(key); }

CurrentFolderScope::CurrentFolderScope(const std::string& folder)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

CurrentFolderScope::~CurrentFolderScope() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

WindowTest::WindowTest() : hive_(root_ / "hive"), registry_(hive_), file_system_(RealFileSystem()) {
  MakeFolders(root_ / "work");
  in_work_ = std::make_unique<CurrentFolderScope>(root_ / "work");
}

std::string WindowTest::work() const { return root_ / "work"; }

std::unique_ptr<MainWindow> WindowTest::OpenWindow() {
  FixedVolumes volumes(volumes_);
  auto window = std::make_unique<MainWindow>(file_system_, registry_, volumes, dialogs_);
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

QTreeWidgetItem* EntryFor(const MainWindow& window, const std::string& path) {
  auto* list = window.findChild<FolderList*>(QStringLiteral("Dir1"));
  for (QTreeWidgetItemIterator it(list); *it != nullptr; ++it) {
    if ((*it)->data(0, Qt::UserRole).toByteArray().toStdString() == path) return *it;
  }
  return nullptr;
}

std::string LabelText(const MainWindow& window) {
  return window.findChild<QLabel*>(QStringLiteral("lblPath"))->text().toStdString();
}

}  // namespace quillfold::testing
