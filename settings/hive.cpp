#include "settings/hive.h"

#include <algorithm>
#include <utility>

#include "text/ascii.h"

namespace quillfold {
namespace {

bool IsControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

template <typename KeyT, typename HiveT>
KeyT* FindKeyIn(HiveT& hive, std::string_view path) {
  for (auto& key : hive.keys) {
    if (SameRegistryName(key.path, path)) return &key;
  }
  return nullptr;
}

}  // namespace

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (std::any_of(path.begin(), path.end(), IsControlByte)) return false;
  return !path.starts_with('\\') && !path.ends_with('\\') &&
         path.find("\\\\") == std::string_view::npos;
}

bool SameRegistryName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

const HiveKey* FindKey(const Hive& hive, std::string_view path) {
  return FindKeyIn<const HiveKey>(hive, path);
}

HiveKey& EnsureKey(Hive& hive, std::string_view path) {
  if (HiveKey* key = FindKeyIn<HiveKey>(hive, path)) return *key;
  const auto last = path.rfind('\\');
  if (last != std::string_view::npos) EnsureKey(hive, path.substr(0, last));
  return hive.keys.emplace_back(HiveKey{std::string(path), {}});
}

const HiveValue* FindValue(const HiveKey& key, std::string_view name) {
  const auto found = std::find_if(key.values.begin(), key.values.end(), [&](const HiveValue& v) {
    return SameRegistryName(v.name, name);
  });
  return found == key.values.end() ? nullptr : &*found;
}

void StoreValue(HiveKey& key, HiveValue value) {
  const auto found = std::find_if(key.values.begin(), key.values.end(), [&](const HiveValue& v) {
    return SameRegistryName(v.name, value.name);
  });
  if (found == key.values.end()) {
    key.values.push_back(std::move(value));
  } else {
    *found = std::move(value);
  }
}

}  // namespace quillfold
