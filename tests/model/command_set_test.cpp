#include "model/command_set.h"

#include <gtest/gtest.h>

namespace vk47 {
namespace {

std::string ExpectedValueText(const Command& c, int p) {
  if (!c.takes_parameter) return "";
  if (c.unit == "秒") return QuarterSecondsText(p, ".") + "秒";
  return std::to_string(p) + std::string(c.unit);
}

// Every command at every track bar position survives encode -> decode.
TEST(CommandSet, RoundTripOfEveryCommandAtEveryPosition) {
  for (const Command& c : Commands()) {
    for (int p = 0; p <= 15; ++p) {
      SCOPED_TRACE("command " + std::string(c.number) + " position " + std::to_string(p));
      const int code = EncodeStep(c.number, p);
      EXPECT_GE(code, 0);
      EXPECT_LE(code, 208);
      EXPECT_EQ(StepCommandNumber(code), std::string(c.number));
      EXPECT_EQ(StepIconFile(code), std::string(c.number) + ".bmp");
      EXPECT_EQ(StepValueText(code, c.number), ExpectedValueText(c, p));
    }
  }
}

TEST(CommandSet, EncodesTheExamples) {
  struct Row { const char* number; int position; int code; const char* text; };
  const Row rows[] = {
      {"4", 0, 0, "0秒"},     {"2", 4, 36, "1秒"},    {"1", 6, 22, "1.5秒"},
      {"25", 15, 207, "15へ"}, {"24", 3, 179, "3回"},  {"30", 12, 172, "12へ"},
      {"7", 15, 111, "3.75秒"}, {"3", 1, 49, "0.25秒"},
      {"26", 9, 114, ""}, {"27", 9, 115, ""}, {"28", 9, 113, ""}, {"29", 9, 128, ""}, {"31", 9, 208, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.number);
    EXPECT_EQ(EncodeStep(r.number, r.position), r.code);
    EXPECT_EQ(StepValueText(r.code, r.number), r.text);
  }
}

TEST(CommandSet, TextsThatAreNoCommandEncodeToTheBarePosition) {
  for (const char* text : {"8", "01", " 1", "1 ", "", "０", "23", "32"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(EncodeStep(text, 11), 11);
    EXPECT_FALSE(StepValueText(11, text).has_value());
  }
}

TEST(CommandSet, DecodingBoundaries) {
  struct Row { int code; const char* number; };
  const Row rows[] = {
      {-2, nullptr}, {-1, "4"},  {0, "4"},    {15, "4"},   {16, "1"},   {31, "1"},
      {47, "2"},     {63, "3"},  {64, "5"},   {95, "6"},   {111, "7"},  {112, nullptr},
      {113, "28"},   {114, "26"}, {115, "27"}, {116, nullptr}, {127, nullptr}, {128, "29"},
      {129, nullptr}, {159, nullptr}, {160, "30"}, {175, "30"}, {176, "24"}, {191, "24"},
      {192, "25"},   {207, "25"}, {208, "31"}, {209, nullptr}, {255, nullptr}, {256, nullptr},
      {-1000, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    if (r.number == nullptr) {
      EXPECT_FALSE(StepCommandNumber(r.code).has_value());
      EXPECT_FALSE(StepIconFile(r.code).has_value());
    } else {
      EXPECT_EQ(StepCommandNumber(r.code), r.number);
      EXPECT_EQ(StepIconFile(r.code), std::string(r.number) + ".bmp");
    }
  }
}

TEST(CommandSet, ValueTextUsesTheGivenCommandsBaseAndSeparator) {
  // The parameter is code minus the given command's base, not the low digit.
  EXPECT_EQ(StepValueText(36, "1"), "5秒");
  EXPECT_EQ(StepValueText(-1, "4"), "-0.25秒");
  EXPECT_EQ(StepValueText(22, "1", ","), "1,5秒");
  EXPECT_EQ(StepValueText(0, "4", ","), "0秒");
}

}  // namespace
}  // namespace vk47
