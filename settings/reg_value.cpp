#include "settings/reg_value.h"

#include <charconv>
#include <string_view>

#include "text/ascii.h"

namespace quillfold {

std::string RegValueText(const RegValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  return {};
}

std::optional<std::int32_t> RegValueInteger(const RegValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return 0;
  std::string_view digits = TrimSpaces(*text);
  // from_chars takes a minus sign but not a plus sign.
  const bool plus = digits.starts_with('+');
  if (plus) digits.remove_prefix(1);
  if (plus && digits.starts_with('-')) return std::nullopt;
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return number;
}

}  // namespace quillfold
