#include "settings/file_registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

namespace quillfold {
namespace {

bool IsRoot(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

// The standard library raises nothing but allocation failures on these
// paths; a Registry reports them as a result code instead.
template <typename Call>
std::int32_t WithoutExceptions(Call call) {
  try {
    return call();
  } catch (const std::exception&) {
    return ERROR_OUTOFMEMORY;
  }
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* account = getpwuid(getuid());
  return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
}

}  // namespace

FileRegistry::FileRegistry(std::string hive_folder)
    : local_machine_(hive_folder, "HKEY_LOCAL_MACHINE"),
      current_user_(std::move(hive_folder), "HKEY_CURRENT_USER") {}

std::int32_t FileRegistry::CreateKey(HKEY root, std::string_view path, HKEY& key) {
  key = 0;
  return WithoutExceptions([&] {
    KeyName name;
    std::int32_t result = Resolve(root, path, name);
    if (result != ERROR_SUCCESS) return result;
    // The root always exists; it gets a section of its own only with a value.
    if (!name.path.empty()) {
      result = FileOf(name.root).Update([&](Hive& hive) {
        EnsureKey(hive, name.path);
        return ERROR_SUCCESS;
      });
      if (result != ERROR_SUCCESS) return result;
    }
    key = NewHandle(std::move(name));
    return ERROR_SUCCESS;
  });
}

std::int32_t FileRegistry::OpenKey(HKEY root, std::string_view path, HKEY& key) {
  key = 0;
  return WithoutExceptions([&] {
    KeyName name;
    Hive hive;
    std::int32_t result = Resolve(root, path, name);
    if (result == ERROR_SUCCESS) result = FindExistingKey(name, hive);
    if (result == ERROR_SUCCESS) key = NewHandle(std::move(name));
    return result;
  });
}

std::int32_t FileRegistry::QueryValue(HKEY key, std::string_view name, std::int32_t& type,
                                      std::uint8_t* data, std::uint32_t& size) {
  return WithoutExceptions([&] {
    KeyName key_name;
    Hive hive;
    std::int32_t result = Resolve(key, "", key_name);
    if (result == ERROR_SUCCESS) result = FindExistingKey(key_name, hive);
    if (result != ERROR_SUCCESS) return result;
    const HiveKey* hive_key = FindKey(hive, key_name.path);
    const HiveValue* value = hive_key == nullptr ? nullptr : FindValue(*hive_key, name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    type = value->type;
    const auto capacity = size;
    size = static_cast<std::uint32_t>(value->data.size());
    if (data == nullptr) return ERROR_SUCCESS;
    if (capacity < value->data.size()) return ERROR_MORE_DATA;
    std::memcpy(data, value->data.data(), value->data.size());
    return ERROR_SUCCESS;
  });
}

std::int32_t FileRegistry::SetValue(HKEY key, std::string_view name, std::int32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  return WithoutExceptions([&] {
    KeyName key_name;
    const std::int32_t result = Resolve(key, "", key_name);
    if (result != ERROR_SUCCESS) return result;
    HiveValue value{std::string(name), type, {}};
    if (size != 0) value.data.assign(reinterpret_cast<const char*>(data), size);
    return FileOf(key_name.root).Update([&](Hive& hive) {
      StoreValue(EnsureKey(hive, key_name.path), std::move(value));
      return ERROR_SUCCESS;
    });
  });
}

std::int32_t FileRegistry::CloseKey(HKEY key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  return handles_.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// The root and full path of `relative` below `key` (a root or a handle).
std::int32_t FileRegistry::Resolve(HKEY key, std::string_view relative, KeyName& name) const {
  if (IsRoot(key)) {
    name = KeyName{key, std::string(relative)};
  } else if (const auto found = handles_.find(key); found != handles_.end()) {
    name = found->second;
    if (!name.path.empty() && !relative.empty()) name.path += '\\';
    name.path += relative;
  } else {
    return ERROR_INVALID_HANDLE;
  }
  return IsValidKeyPath(name.path) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

// Loads the hive of `name` into `hive` and checks that the key is there.
std::int32_t FileRegistry::FindExistingKey(const KeyName& name, Hive& hive) const {
  const std::int32_t result = FileOf(name.root).Load(hive);
  if (result != ERROR_SUCCESS) return result;
  return name.path.empty() || FindKey(hive, name.path) != nullptr ? ERROR_SUCCESS
                                                                  : ERROR_FILE_NOT_FOUND;
}

HKEY FileRegistry::NewHandle(KeyName name) {
  const HKEY handle = next_handle_++;
  handles_.emplace(handle, std::move(name));
  return handle;
}

const HiveFile& FileRegistry::FileOf(HKEY root) const {
  return root == HKEY_LOCAL_MACHINE ? local_machine_ : current_user_;
}

std::string DefaultHiveFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/quillfold";
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config/quillfold";
}

}  // namespace quillfold
