#include "model/step_program.h"

#include <gtest/gtest.h>

namespace vk47 {
namespace {

TEST(StepProgram, StartsEmptyAndPlacesWithThePosition) {
  StepProgram program;
  for (int k = 0; k < kSlotCount; ++k) EXPECT_FALSE(program.IsFilled(k));
  EXPECT_EQ(program.Place(3, "2", 8), 40);
  EXPECT_EQ(program.Code(3), 40);
  EXPECT_EQ(program.Place(3, "31", 8), 208);  // a drop replaces what was there
  EXPECT_THROW(program.Code(16), std::out_of_range);
  EXPECT_THROW(program.SetCode(-1, 0), std::out_of_range);
}

TEST(StepProgram, ReencodeKeepsTheCommandAndTakesTheNewPosition) {
  StepProgram program;
  program.SetCode(0, 36);   // command 2, one second
  program.SetCode(1, 114);  // command 26 ignores the track bar
  program.SetCode(2, 300);  // no command: only possible through a loaded file
  program.SetCode(3, -1);

  const auto forward = program.Reencode(0, 10);
  EXPECT_EQ(forward.code, 42);
  EXPECT_EQ(forward.command_number, "2");
  EXPECT_EQ(DescribeStep(42).value_text, "2.5秒");

  EXPECT_EQ(program.Reencode(1, 10).code, 114);
  EXPECT_EQ(DescribeStep(114).value_text, "");

  const auto unknown = program.Reencode(2, 7);
  EXPECT_EQ(unknown.code, 7);  // command 4's code for the position
  EXPECT_EQ(unknown.command_number, "");
  EXPECT_EQ(program.Code(2), 7);
}

TEST(StepProgram, ClearEmptiesEverySlot) {
  StepProgram program;
  for (int k = 0; k < kSlotCount; ++k) program.Place(k, "30", k);
  program.ClearSlot(4);
  EXPECT_FALSE(program.IsFilled(4));
  program.Clear();
  EXPECT_EQ(program.Codes(), EmptyProgram());
}

TEST(StepProgram, DescribesEmptyAndUnknownCodes) {
  const StepView empty = DescribeStep(-1);
  EXPECT_EQ(empty.icon_file, "4.bmp");
  EXPECT_EQ(empty.code_text, "-1");
  const StepView unknown = DescribeStep(112);
  EXPECT_FALSE(unknown.command_number.has_value());
  EXPECT_FALSE(unknown.icon_file.has_value());
  EXPECT_EQ(unknown.value_text, "");
  EXPECT_EQ(DescribeStep(0).value_text, "0秒");
}

}  // namespace
}  // namespace vk47
