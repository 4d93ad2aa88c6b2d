#pragma once
// Conversion between integers and their text, with the rules the program file
// and the settings file rely on. Pure functions; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vk47 {

// Text to a signed 32-bit integer. Leading blanks are skipped; then either an
// optional "+" or "-" followed by decimal digits, or (without a sign) "$", "x",
// "X", "0x" or "0X" followed by hexadecimal digits. Nothing may follow the
// digits. Empty or malformed text, or a value outside 32 bits, gives no result.
std::optional<std::int32_t> TextToInt(std::string_view text);

// Plain decimal text: "-" for negative values, no leading zeros or blanks.
std::string IntToText(long long value);

}  // namespace vk47
