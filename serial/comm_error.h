#pragma once
// The failures of the serial layer as plain values: a small kind, the
// operating system's own code and text, and the device. Each comm-device
// backend maps its errno or GetLastError() to a kind in one place; the
// notice and DescribeCommError turn an error into the words the window,
// vk47ctl and the link show. Any thread.

#include <string>

#include "text/port_words.h"
#include "text/words.h"

namespace vk47 {

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
