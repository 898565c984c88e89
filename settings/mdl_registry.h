#pragma once

#include <cstdint>
#include <string_view>

#include "settings/reg_value.h"
#include "settings/registry.h"

namespace quillfold {

// The thin layer the main window uses to keep its settings between program
// starts. Nothing here keeps state between calls, reports anything to the
// user or throws: failures are result codes or empty values.

// Stores `value` as `name` under the open `key`. Type REG_SZ stores the
// value's text (RegValueText) as its bytes, without a terminating NUL; type
// REG_DWORD stores its 4 bytes (RegValueInteger). Returns the store's result
// code; ERROR_INVALID_PARAMETER, storing nothing, for a REG_DWORD whose
// value is a text that is no 32-bit number or a text too long to store; 0,
// storing nothing, for any other type.
std::int32_t WriteKeyValue(Registry& registry, HKEY key, std::string_view name, std::int32_t type,
                           const RegValue& value);

// Reads `name` under the open `key` into `value`: asks for its type and
// size first, then reads exactly that many bytes. A REG_SZ value becomes a
// text of as many bytes as are stored (NUL bytes included); a REG_DWORD
// value an integer. Returns the result code of the last call made; -1 for
// any other type. When the first call fails, or for another type, `value`
// is untouched; when the text cannot be read it becomes empty. A failure of
// memory or of the store is trapped and gives a non-zero code.
std::int32_t ReadKeyValue(Registry& registry, HKEY key, std::string_view name, RegValue& value);

// Creates the key `key_path` below `root`, with every missing level. A
// failure changes nothing and is not reported.
void EnsureRegKey(Registry& registry, HKEY root, std::string_view key_path);

// Opens `key_path` below `root`, writes one value (WriteKeyValue) and closes
// the key. When the key cannot be opened nothing is written; the result is
// dropped.
void WriteSetting(Registry& registry, HKEY root, std::string_view key_path, std::string_view name,
                  const RegValue& value, std::int32_t type);

// Opens `key_path` below `root`, reads one value (ReadKeyValue) and closes
// the key. Empty when anything failed, including a missing key or value.
RegValue ReadSetting(Registry& registry, HKEY root, std::string_view key_path,
                     std::string_view name);

}  // namespace quillfold
