#pragma once
// The virtual robot's record of what it received, written as JSON for tests
// and teachers: every byte with its time and gap, and every frame.

#include <string>
#include <vector>

#include "link/frame_decoder.h"

namespace vk47 {

struct RobotRecord {
  std::string device;
  std::vector<ReceivedByte> bytes;
  std::vector<RobotFrame> frames;
};

std::string RobotRecordJson(const RobotRecord& record);

// Replaces `path` atomically, so a reader never sees half a record.
bool WriteRobotRecord(const std::string& path, const RobotRecord& record);

}  // namespace vk47
