#pragma once
// The receiving side of the robot protocol, as the virtual robot sees it:
// bytes with their arrival times in, recognised frames out. A transfer frame
// is 0x74 followed by sixteen bytes; 0x78 alone is the execute command; any
// other byte outside a frame is stray. A transfer that stalls for longer than
// `frame_timeout_ms` between two bytes is reported as incomplete.

#include <cstdint>
#include <string>
#include <vector>

namespace vk47 {

struct ReceivedByte {
  std::uint8_t value;
  double time_ms;  // since the decoder's first byte
  double gap_ms;   // since the byte before (0 for the first)
};

struct RobotFrame {
  enum class Kind { kTransfer, kExecute, kIncomplete, kStray };
  Kind kind;
  std::vector<ReceivedByte> bytes;  // the command byte first, for a transfer
};

class FrameDecoder {
 public:
  explicit FrameDecoder(double frame_timeout_ms = 1000.0) : timeout_ms_(frame_timeout_ms) {}

  // Takes one byte received at `time_ms` (any monotonic clock in ms); returns
  // the frames it completes (an incomplete one may precede the byte's own).
  std::vector<RobotFrame> Feed(std::uint8_t value, double time_ms);

  // Ends the input: a transfer still open is reported as incomplete.
  std::vector<RobotFrame> Finish();

  // Every byte fed so far, with its time and gap.
  const std::vector<ReceivedByte>& Received() const { return received_; }
  // Lets go of the bytes Received() holds (times and frames go on as before),
  // for a receiver that keeps its own bounded record of them.
  void ForgetReceived() { received_.clear(); }

 private:
  double timeout_ms_;
  bool started_ = false;
  double first_ms_ = 0;
  double last_ms_ = 0;
  std::vector<ReceivedByte> pending_;  // an open transfer frame
  std::vector<ReceivedByte> received_;
};

// The decoded listing of a transfer frame with the gap before each step, and
// a one-line description of other frames.
std::string DescribeFrame(const RobotFrame& frame);

}  // namespace vk47
