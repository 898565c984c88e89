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

char HookedFileSystem::separator() const { return RealFileSystem().separator(); }

FolderListing HookedFileSystem::ListFolder(const std::string& folder) {
  if (before_list) before_list(folder);
  return RealFileSystem().ListFolder(folder);
}

bool HookedFileSystem::PathExists(const std::string& path) {
  return RealFileSystem().PathExists(path);
}

bool HookedFileSystem::ReadOrdinaryFileTail(const std::string& path, std::span<std::uint8_t> tail) {
  return RealFileSystem().ReadOrdinaryFileTail(path, tail);
}

bool HookedFileSystem::CreateFolderChain(const std::string& folder_path) {
  return RealFileSystem().CreateFolderChain(folder_path);
}

RenameOutcome HookedFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (before_rename) before_rename(from);
  return RealFileSystem().RenameNoReplace(from, to);
}

void HookedFileSystem::RemoveEmptyFolder(const std::string& folder) {
  RealFileSystem().RemoveEmptyFolder(folder);
}

std::string HookedFileSystem::ReadTextFile(const std::string& path) {
  return RealFileSystem().ReadTextFile(path);
}

void HookedFileSystem::ReplaceTextFile(const std::string& path, const std::string& content) {
  RealFileSystem().ReplaceTextFile(path, content);
}

CurrentFolderScope::CurrentFolderScope(const std::string& folder)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

CurrentFolderScope::~CurrentFolderScope() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

WindowTest::WindowTest() : registry_(root_ / "hive") {
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
