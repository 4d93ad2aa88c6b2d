#pragma once
// The failures of the serial layer as plain values: a small kind, the
// operating system's own code and text, and the device. Each comm-device
// backend maps its errno or GetLastError() to a kind in one place; the
// notice and DescribeCommError turn an error into the words the window,
// vk47ctl and the link show. Any thread.

#include <string>

#include "text/words.h"

namespace vk47 {

// Why a comm operation failed, independent of the platform.
enum class CommErrorKind {
  kNone,
  kNotFound,            // no such device (adapter unplugged, wrong name)
  kInUse,               // another program (or another open) holds the device
  kPermissionDenied,    // no access right (on Linux: not in group "dialout")
  kUnsupportedSetting,  // the device cannot take a speed, size, parity, mode
  kIoError,             // the device failed or vanished during I/O
  kTimedOut,            // a write did not complete in time and was cancelled
  kShortWrite,          // a write completed with fewer bytes than asked
  kNotOpen,             // the port is not open
  kBadPortName,         // the name is none of com1..com4 and no absolute path
  kRobotGone,           // the virtual robot the name was linked to has ended
  kNotSerial,           // the name leads to something that is no serial device
  kStopped,             // a write was abandoned because the user asked to stop
  kOther,
};

struct CommError {
  CommErrorKind kind = CommErrorKind::kNone;
  int os_code = 0;         // errno or GetLastError(), 0 when none applies
  std::string os_message;  // the operating system's own text, may be empty
  std::string device;      // the device path the failure concerns
  explicit operator bool() const { return kind != CommErrorKind::kNone; }
};

// Short stable name of a kind ("not-found", "in-use", ...), for logs and tools.
const char* CommErrorKindName(CommErrorKind kind);

// The port as the menus name it: "COM1" for "com1"; a device path as it is.
std::string MenuPortName(const std::string& portname);

// Why the port failed, for the pupil (the port as the menus name it, and what
// to do) and for the teacher (the device, the system's text and number, the
// "dialout" hint for a permission failure). Empty for kNone.
Notice CommErrorNotice(const CommError& error, const std::string& portname);

// The same notice as one text (NoticeText), for the tools.
std::string DescribeCommError(const CommError& error, const std::string& portname);

}  // namespace vk47
