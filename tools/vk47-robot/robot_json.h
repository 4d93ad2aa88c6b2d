#pragma once
// The virtual robot's record of what it received, written as JSON for tests
// and teachers: every byte with its time and gap, and every frame.

#include <string>
#include <string_view>
#include <vector>

#include "link/frame_decoder.h"

namespace vk47 {

struct RobotRecord {
  std::string device;
  std::vector<ReceivedByte> bytes;
  std::vector<RobotFrame> frames;
};

std::string RobotRecordJson(const RobotRecord& record);

// Writes one of the robot's files (a record, a picture) with
// WriteFileChecked (model/file_io.h): atomically, so a reader never sees half
// a record, never through a link that may not be followed, and never over
// one of `inputs`. Returns "" when written, otherwise the message that says
// why, naming the file.
std::string WriteRobotFile(const std::string& path, std::string_view text,
                           const std::vector<std::string>& inputs = {});

}  // namespace vk47
