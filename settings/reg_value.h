#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace quillfold {

// A value as the settings store hands it back and takes it: empty (nothing
// was read), a text, or a 32-bit signed integer.
using RegValue = std::variant<std::monostate, std::string, std::int32_t>;

// The value as text: empty gives "", a text itself, an integer its decimal
// form ("-42").
std::string RegValueText(const RegValue& value);

// The value as an integer: empty gives 0, an integer itself, a text the
// decimal number it holds (blanks around it and a sign allowed). Nothing for
// a text that is not such a number or does not fit in 32 bits.
std::optional<std::int32_t> RegValueInteger(const RegValue& value);

}  // namespace quillfold
