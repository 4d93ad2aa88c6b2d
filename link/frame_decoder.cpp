#include "link/frame_decoder.h"

#include <cstdio>

#include "link/protocol.h"
#include "model/listing.h"
#include "model/step_program.h"

namespace vk47 {
namespace {

std::string Ms(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ms);
  return text;
}

}  // namespace

std::vector<RobotFrame> FrameDecoder::Feed(std::uint8_t value, double time_ms) {
  std::vector<RobotFrame> frames;
  if (!started_) {
    started_ = true;
    first_ms_ = last_ms_ = time_ms;
  }
  const ReceivedByte byte{value, time_ms - first_ms_, time_ms - last_ms_};
  last_ms_ = time_ms;
  received_.push_back(byte);

  if (!pending_.empty() && byte.gap_ms > timeout_ms_) {
    frames.push_back({RobotFrame::Kind::kIncomplete, std::move(pending_)});
    pending_.clear();
  }
  if (!pending_.empty()) {
    pending_.push_back(byte);
    if (pending_.size() == 1 + kSlotCount) {
      frames.push_back({RobotFrame::Kind::kTransfer, std::move(pending_)});
      pending_.clear();
    }
  } else if (value == kTransferCommand) {
    pending_.push_back(byte);
  } else if (value == kExecuteCommand) {
    frames.push_back({RobotFrame::Kind::kExecute, {byte}});
  } else {
    frames.push_back({RobotFrame::Kind::kStray, {byte}});
  }
  return frames;
}

std::vector<RobotFrame> FrameDecoder::Finish() {
  std::vector<RobotFrame> frames;
  if (!pending_.empty()) frames.push_back({RobotFrame::Kind::kIncomplete, std::move(pending_)});
  pending_.clear();
  return frames;
}

std::string DescribeFrame(const RobotFrame& frame) {
  const ReceivedByte& first = frame.bytes.front();
  switch (frame.kind) {
    case RobotFrame::Kind::kTransfer: {
      std::string text = "transfer received (0x74 at " + Ms(first.time_ms) + " ms)\n";
      for (int k = 0; k < kSlotCount; ++k) {
        const ReceivedByte& b = frame.bytes[1 + k];
        text += ListingLine(k, b.value) + "\tgap " + Ms(b.gap_ms) + " ms\n";
      }
      return text;
    }
    case RobotFrame::Kind::kExecute:
      return "execute received (0x78 at " + Ms(first.time_ms) + " ms, gap " + Ms(first.gap_ms) +
             " ms)\n";
    case RobotFrame::Kind::kIncomplete:
      return "incomplete transfer: " + std::to_string(frame.bytes.size() - 1) +
             " of 16 steps, then silence\n";
    case RobotFrame::Kind::kStray: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", first.value);
      return std::string("stray byte ") + hex + " outside a frame at " + Ms(first.time_ms) +
             " ms\n";
    }
  }
  return {};
}

}  // namespace vk47
