#include "model/int_text.h"

#include <gtest/gtest.h>

namespace vk47 {
namespace {

TEST(IntText, ConvertsTheAcceptedForms) {
  struct Row { const char* text; std::int32_t value; };
  const Row rows[] = {
      {"0", 0},        {"3", 3},       {" 3", 3},      {"   -1", -1},  {"-01", -1},
      {"+7", 7},       {"$1F", 31},    {"x10", 16},    {"X10", 16},    {"0x2", 2},
      {"0XfF", 255},   {"2147483647", 2147483647},   {"-2147483648", -2147483647 - 1},
      {"$FFFFFFFF", -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(TextToInt(r.text), r.value);
  }
}

TEST(IntText, RefusesMalformedAndOverflowingText) {
  for (const char* text : {"", " ", "abc", "3 ", "1.5", "-", "+", "$", "0x", "-$1", "--1",
                           "2147483648", "-2147483649", "$100000000", "99999999999999999999",
                           "\t3", "３"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(TextToInt(text).has_value());
  }
}

}  // namespace
}  // namespace vk47
