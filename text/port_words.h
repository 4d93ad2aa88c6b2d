#pragma once
// Why a serial port failed, as a small kind of failure, and the words each
// kind gives a pupil: one sentence or two that name the port as the menus
// name it and say what to do, and the few words of a status line. The serial
// layer maps the system's errors to a kind (serial/comm_error.h); the
// browser edition, whose port is reached through the browser, uses the same
// words for the failures it meets. Pure functions; any thread.

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
  kNoResources,         // the system is out of descriptors, memory or threads
  kNotTheUsers,         // root acts for a user who could not open this device
  kSettingsUnreadable,  // set.ini exists but cannot be read, so the port's device is unknown
  kOther,
};

// A kind's words, catalogue texts with %1 for the port.
struct PortWords {
  const char* main;    // for the pupil, one or two sentences
  const char* reason;  // for a status line, without a full stop
};
PortWords PortTroubleWords(CommErrorKind kind);

}  // namespace vk47
