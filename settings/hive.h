#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillfold {

// One value of a key: its name, its type number and its bytes exactly as
// stored (a text has no terminating NUL and may hold NUL bytes).
struct HiveValue {
  std::string name;
  std::int32_t type = 0;
  std::string data;

  bool operator==(const HiveValue&) const = default;
};

// One key, named by its path below the root with "\" between levels ("" is
// the root itself). Values keep the order they were first stored in.
struct HiveKey {
  std::string path;
  std::vector<HiveValue> values;

  bool operator==(const HiveKey&) const = default;
};

// Everything stored under one root. Every level of every key path is a key
// of its own, listed before the keys below it, in the order first created.
// The root itself is always there; it is listed (with the path "") only once
// something made it a key of its own, such as a value stored in it.
struct Hive {
  std::vector<HiveKey> keys;

  bool operator==(const Hive&) const = default;
};

// True when `path` is "" or names one or more levels separated by single
// "\", each level non-empty and free of control bytes (below 0x20, and 0x7F).
bool IsValidKeyPath(std::string_view path);

// Key and value names match without regard to ASCII letter case.
bool SameRegistryName(std::string_view a, std::string_view b);

// The key at `path`, or null when there is none.
const HiveKey* FindKey(const Hive& hive, std::string_view path);

// The key at `path`, added with every missing level above it when needed.
// `path` must be valid (IsValidKeyPath).
HiveKey& EnsureKey(Hive& hive, std::string_view path);

// The value `name` of `key`, or null when there is none.
const HiveValue* FindValue(const HiveKey& key, std::string_view name);

// Stores `value` in `key`: a value of the same name is replaced in place
// (taking the new name's spelling), otherwise the value is added at the end.
void StoreValue(HiveKey& key, HiveValue value);

}  // namespace quillfold
