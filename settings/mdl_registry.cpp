#include "settings/mdl_registry.h"

#include <limits>
#include <new>
#include <string>

namespace quillfold {
namespace {

std::int32_t SetText(Registry& registry, HKEY key, std::string_view name, std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) return ERROR_INVALID_PARAMETER;
  return registry.SetValue(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.data()),
                           static_cast<std::uint32_t>(text.size()));
}

std::int32_t SetInteger(Registry& registry, HKEY key, std::string_view name, std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
      static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
  return registry.SetValue(key, name, REG_DWORD, bytes, sizeof bytes);
}

std::int32_t IntegerFromBytes(const std::uint8_t (&bytes)[4]) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Reads a REG_SZ or REG_DWORD value once a first query gave its `type` and
// `size`.
std::int32_t ReadKnownType(Registry& registry, HKEY key, std::string_view name, std::int32_t type,
                           std::uint32_t size, RegValue& value) {
  std::int32_t read_type = 0;
  if (type == REG_SZ) {
    std::string text(size, '\0');
    const std::int32_t result = registry.QueryValue(
        key, name, read_type, reinterpret_cast<std::uint8_t*>(text.data()), size);
    if (result != ERROR_SUCCESS) {
      value = RegValue();
      return result;
    }
    text.resize(size);
    value = std::move(text);
    return result;
  }
  std::uint8_t bytes[4] = {};
  size = sizeof bytes;
  const std::int32_t result = registry.QueryValue(key, name, read_type, bytes, size);
  if (result == ERROR_SUCCESS) value = IntegerFromBytes(bytes);
  return result;
}

}  // namespace

std::int32_t WriteKeyValue(Registry& registry, HKEY key, std::string_view name, std::int32_t type,
                           const RegValue& value) {
  if (type == REG_SZ) {
    if (const auto* text = std::get_if<std::string>(&value))
      return SetText(registry, key, name, *text);
    return SetText(registry, key, name, RegValueText(value));
  }
  if (type == REG_DWORD) {
    const auto number = RegValueInteger(value);
    return number ? SetInteger(registry, key, name, *number) : ERROR_INVALID_PARAMETER;
  }
  return ERROR_SUCCESS;
}

std::int32_t ReadKeyValue(Registry& registry, HKEY key, std::string_view name, RegValue& value) {
  // Whatever fails in here stays in here, as a non-zero code.
  try {
    std::int32_t type = 0;
    std::uint32_t size = 0;
    const std::int32_t result = registry.QueryValue(key, name, type, nullptr, size);
    if (result != ERROR_SUCCESS) return result;
    if (type != REG_SZ && type != REG_DWORD) return -1;
    return ReadKnownType(registry, key, name, type, size, value);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_CANTREAD;
  }
}

void EnsureRegKey(Registry& registry, HKEY root, std::string_view key_path) {
  HKEY key = 0;
  registry.CreateKey(root, key_path, key);
  registry.CloseKey(key);
}

void WriteSetting(Registry& registry, HKEY root, std::string_view key_path, std::string_view name,
                  const RegValue& value, std::int32_t type) {
  HKEY key = 0;
  registry.OpenKey(root, key_path, key);
  WriteKeyValue(registry, key, name, type, value);
  registry.CloseKey(key);
}

RegValue ReadSetting(Registry& registry, HKEY root, std::string_view key_path,
                     std::string_view name) {
  RegValue value;
  HKEY key = 0;
  registry.OpenKey(root, key_path, key);
  ReadKeyValue(registry, key, name, value);
  registry.CloseKey(key);
  return value;
}

}  // namespace quillfold
