#include "model/int_text.h"

#include <limits>

namespace vk47 {
namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

std::optional<std::int32_t> TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;

  bool negative = false;
  int base = 10;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  } else if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;

  // Hexadecimal text may spell the full 32-bit pattern (FFFFFFFF is -1);
  // decimal text must fit the signed range.
  const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL
                                        : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > limit) return std::nullopt;
  }
  if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string IntToText(long long value) { return std::to_string(value); }

}  // namespace vk47
