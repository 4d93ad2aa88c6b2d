#include "link/protocol.h"

#include <gtest/gtest.h>

#include "link/frame_decoder.h"
#include "model/listing.h"

namespace vk47 {
namespace {

TEST(Protocol, ProgressPositionsRoundHalfToEven) {
  const int expected[16] = {0, 6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94};
  for (int k = 0; k < 16; ++k) EXPECT_EQ(StepProgressPosition(k), expected[k]) << k;
}

TEST(Protocol, StepBytesAreTheLowEightBits) {
  EXPECT_EQ(StepByte(-1), 0x00);
  EXPECT_EQ(StepByte(0), 0x00);
  EXPECT_EQ(StepByte(208), 0xD0);
  EXPECT_EQ(StepByte(300), 300 - 256);
  EXPECT_EQ(StepByte(-2), 0xFE);
}

std::vector<RobotFrame> FeedAll(FrameDecoder& d, const std::vector<int>& values, double gap) {
  std::vector<RobotFrame> out;
  double t = 0;
  for (int v : values) {
    for (auto& f : d.Feed(static_cast<std::uint8_t>(v), t)) out.push_back(f);
    t += gap;
  }
  return out;
}

TEST(FrameDecoder, RecognisesTransferExecuteAndStrayBytes) {
  FrameDecoder decoder;
  std::vector<int> bytes = {0x41, 0x74};
  for (int k = 0; k < 16; ++k) bytes.push_back(k == 3 ? 0x78 : k);  // 0x78 inside is a step
  bytes.push_back(0x78);
  const auto frames = FeedAll(decoder, bytes, 100.0);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].kind, RobotFrame::Kind::kStray);
  EXPECT_EQ(frames[1].kind, RobotFrame::Kind::kTransfer);
  ASSERT_EQ(frames[1].bytes.size(), 17u);
  EXPECT_EQ(frames[1].bytes[4].value, 0x78);
  EXPECT_DOUBLE_EQ(frames[1].bytes[16].gap_ms, 100.0);
  EXPECT_EQ(frames[2].kind, RobotFrame::Kind::kExecute);
  EXPECT_EQ(decoder.Received().size(), bytes.size());
  // The listing's four fixed columns, its further ones, then the gap.
  const std::string slot0 = DescribeFrame(frames[1]);
  EXPECT_NE(slot0.find("0\t0\t4\t0秒\t"), std::string::npos) << slot0;
  EXPECT_NE(slot0.find(ListingLine(0, 0) + "\tgap 100.0 ms"), std::string::npos) << slot0;
}

TEST(FrameDecoder, AStalledOrCutTransferIsIncomplete) {
  FrameDecoder decoder(1000.0);
  auto frames = FeedAll(decoder, {0x74, 36, 4}, 100.0);
  EXPECT_TRUE(frames.empty());
  frames = decoder.Feed(0x78, 5000.0);  // long silence, then execute
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].kind, RobotFrame::Kind::kIncomplete);
  EXPECT_EQ(frames[0].bytes.size(), 3u);
  EXPECT_EQ(frames[1].kind, RobotFrame::Kind::kExecute);

  FeedAll(decoder, {0x74, 1}, 10.0);
  frames = decoder.Finish();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].kind, RobotFrame::Kind::kIncomplete);
}

}  // namespace
}  // namespace vk47
