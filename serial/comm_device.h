#pragma once
// The platform layer under Trs232c: one serial device, with the operations the
// component needs, shaped after the Win32 comm calls (CreateFile, SetupComm,
// Get/SetCommState, Get/SetCommTimeouts, SetCommMask, PurgeComm, WriteFile,
// EscapeCommFunction, WaitCommEvent, ClearCommError, CloseHandle).
//
// Threads: every operation is called from the user-interface thread, except
// WaitEvent, which the event thread calls while the UI thread may concurrently
// call SetEventMask, Purge, Write, Escape and ClearErrors. Close is called only
// after the event thread has stopped calling WaitEvent. A result of false means
// the operation failed; LastError() then tells why.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/comm_error.h"

namespace vk47 {

// The device control record, field for field the platform's DCB.
struct CommControl {
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;  // the DCB flag word, bit i = element i of rsflowset
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::uint8_t XonChar = 0;
  std::uint8_t XoffChar = 0;
  std::uint8_t ErrorChar = 0;
  std::uint8_t EofChar = 0;
  std::uint8_t EvtChar = 0;
  bool operator==(const CommControl&) const = default;
};

// Bits of CommControl::Flags.
namespace comm_flags {
inline constexpr std::uint32_t kBinary = 1u << 0;
inline constexpr std::uint32_t kParity = 1u << 1;
inline constexpr std::uint32_t kOutxCtsFlow = 1u << 2;
inline constexpr std::uint32_t kOutxDsrFlow = 1u << 3;
inline constexpr int kDtrShift = 4;  // two bits: 0 off, 1 on, 2 handshake
inline constexpr std::uint32_t kDsrSensitivity = 1u << 6;
inline constexpr std::uint32_t kTxContinueOnXoff = 1u << 7;
inline constexpr std::uint32_t kOutX = 1u << 8;
inline constexpr std::uint32_t kInX = 1u << 9;
inline constexpr std::uint32_t kErrorChar = 1u << 10;
inline constexpr std::uint32_t kNull = 1u << 11;
inline constexpr int kRtsShift = 12;  // two bits: 0 off, 1 on, 2 handshake, 3 toggle
inline constexpr std::uint32_t kAbortOnError = 1u << 14;
inline constexpr unsigned DtrMode(std::uint32_t flags) { return (flags >> kDtrShift) & 3u; }
inline constexpr unsigned RtsMode(std::uint32_t flags) { return (flags >> kRtsShift) & 3u; }
}  // namespace comm_flags

// The platform's COMMTIMEOUTS, in milliseconds.
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
  bool operator==(const CommTimeouts&) const = default;
};

// Line events (the event mask and the events a wait reports).
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;

// Purge flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x1;
inline constexpr std::uint32_t kPurgeRxAbort = 0x2;
inline constexpr std::uint32_t kPurgeTxClear = 0x4;
inline constexpr std::uint32_t kPurgeRxClear = 0x8;

// Escape function codes.
inline constexpr std::uint32_t kSetRts = 3;
inline constexpr std::uint32_t kClrRts = 4;
inline constexpr std::uint32_t kSetDtr = 5;
inline constexpr std::uint32_t kClrDtr = 6;

// How a write with a bounded wait ended.
enum class WriteOutcome {
  kDoneAtOnce,       // completed without waiting (WriteFile returned true)
  kPendingThenDone,  // went on asynchronously and completed within the limit
  kTimedOut,         // did not complete in time; cancelled before returning
  kStopped,          // the wait hook asked to stop; cancelled before returning
  kFailed,           // the platform reported a failure
};

// Called every few milliseconds while a write waits for the device (the
// window repaints there, a tool looks for Ctrl+C); returning false abandons
// the write, which is then cancelled as on a time-out. An empty hook waits
// without interruption.
using WriteWaitHook = std::function<bool()>;
inline constexpr std::uint32_t kWriteWaitSliceMs = 20;

struct WriteResult {
  WriteOutcome outcome = WriteOutcome::kFailed;
  std::uint32_t immediate_count = 0;    // bytes reported by the starting call
  std::uint32_t transferred_count = 0;  // bytes sent in all, when it completed
};

class CommDevice {
 public:
  virtual ~CommDevice() = default;

  // Opens the named port for reading and writing, exclusively: the hold ends
  // when the device is closed or its holder ends, however it ends.
  virtual bool Open(const std::string& portname) = 0;
  virtual bool SetupQueues(std::uint32_t rx_bytes, std::uint32_t tx_bytes) = 0;
  virtual bool GetState(CommControl& state) = 0;
  // Applies the record; false when the device refuses any part of it.
  virtual bool SetState(const CommControl& state) = 0;
  virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
  virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
  // Sets the watched events. A pending WaitEvent returns at once with no events.
  virtual bool SetEventMask(std::uint32_t mask) = 0;
  virtual bool Purge(std::uint32_t flags) = 0;
  // Writes count bytes and waits at most timeout_ms for completion, asking
  // keep_waiting between slices of the wait. The bytes are not used after the
  // call returns: a write that timed out or was stopped is cancelled.
  virtual WriteResult Write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t timeout_ms,
                            const WriteWaitHook& keep_waiting) = 0;
  WriteResult Write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t timeout_ms) {
    return Write(bytes, count, timeout_ms, WriteWaitHook());
  }
  virtual bool Escape(std::uint32_t function) = 0;
  // Blocks until a watched event occurs (events := the kEv bits) or the mask
  // changes or the device closes (true, events := 0). A wait begun with an
  // empty mask returns at once.
  virtual bool WaitEvent(std::uint32_t& events) = 0;
  // Clears the device's error state; in_queue := bytes waiting to be read.
  virtual bool ClearErrors(std::uint32_t& in_queue) = 0;
  virtual bool Close() = 0;

  // The failure of the last operation that returned false (or timed out).
  virtual CommError LastError() const = 0;

  // The device that Open resolved the port name to; empty when the backend
  // does not resolve names (a test's fake).
  virtual std::string DevicePath() const { return {}; }
};

using CommDeviceFactory = std::function<std::unique_ptr<CommDevice>()>;

// The backend of the platform this was built for (termios or Win32).
std::unique_ptr<CommDevice> MakePlatformCommDevice();

}  // namespace vk47
