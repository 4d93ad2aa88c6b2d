#pragma once
// Trs232c: owns one serial device. It keeps the line settings as plain public
// values (applied at the next open), opens and configures the device, writes
// bytes with a time-out, switches DTR and RTS, and, when line-event handlers
// are assigned at open, runs a tcommthread that raises them on the UI thread.
//
// Threads: every member is for the user-interface thread only, handlers
// included (line-event handlers are handed over to it, see thread_handoff.h).
// The component's own operations do not throw: they return false on failure
// and lasterror() says why. An exception thrown by a handler is passed on to
// the caller, never swallowed: open passes on OnOpen's (the port is open by
// then), close passes on OnClose's after the device has been released, and
// the destructor, which cannot pass it on, drops it.
// Do not destroy the component from one of its own line-event handlers.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "serial/comm_device.h"

namespace vk47 {

class tcommthread;

using TNotifyEvent = std::function<void(void* sender)>;

// Element i stands for bit i of the DCB flag word.
enum rsflow : int {
  dfBinary,
  dfParity,
  dfOutxCtsFlow,
  dfOutxDsrFlow,
  dfDtrControl_b0,
  dfDtrControl_b1,
  dfDsrSensitivity,
  dfTXContinueOnXoff,
  dfOutX,
  dfInX,
  dfErrorChar,
  dfNull,
  dfRtsControl_b0,
  dfRtsControl_b1,
  dfAbortOnError,
};

// A set of rsflow elements, held in 16 bits.
class rsflowset {
 public:
  constexpr rsflowset() = default;
  constexpr rsflowset(std::initializer_list<rsflow> elements) {
    for (rsflow e : elements) insert(e);
  }
  static constexpr rsflowset frombits(std::uint16_t bits) {
    rsflowset set;
    set.bits_ = bits & 0x7FFF;
    return set;
  }
  constexpr bool contains(rsflow e) const { return (bits_ >> e) & 1u; }
  constexpr void insert(rsflow e) { bits_ = static_cast<std::uint16_t>(bits_ | (1u << e)); }
  constexpr void erase(rsflow e) { bits_ = static_cast<std::uint16_t>(bits_ & ~(1u << e)); }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr std::uint16_t bits() const { return bits_; }
  constexpr bool operator==(const rsflowset&) const = default;

 private:
  std::uint16_t bits_ = 0;
};

class Trs232c {
 public:
  // factory makes the device at each open; the default is the platform's.
  explicit Trs232c(CommDeviceFactory factory = MakePlatformCommDevice);
  ~Trs232c();  // close, OnClose included when open
  Trs232c(const Trs232c&) = delete;
  Trs232c& operator=(const Trs232c&) = delete;

  // Settings, applied at the next open.
  std::int32_t charbit = 8;                 // data bits; low 8 bits become ByteSize
  std::string stopbit = "1";                // "1", "1.5" or "2"; other text keeps the device's value
  std::int32_t bps = 9600;                  // BaudRate
  std::string portname = "COM1";            // resolved through port_resolver.h
  std::int32_t rxbuffsize = 1024;           // driver input queue, bytes
  std::int32_t txbuffsize = 1024;           // driver output queue, bytes
  std::int32_t readinterval = 0;            // ReadIntervalTimeout, ms
  std::int32_t txtimeout = 30000;           // write time-out, ms (device and write's wait)
  std::int32_t rxtimeout = 30000;           // ReadTotalTimeoutConstant, ms
  std::string paritymode = "無し";          // parity text, compared exactly (see rs232c.cpp)
  std::int32_t flowflag = 1;                // the DCB flag word, all 32 bits
  std::int32_t packetsize = 0;              // OnPACKET threshold; 0 switches it off
  std::int32_t XonLim = 0;                  // 0 keeps the device's value
  std::int32_t XoffLim = 0;                 // 0 keeps the device's value
  std::uint8_t XonChar = 0x13;              // 0 keeps the device's value
  std::uint8_t XoffChar = 0x11;             // 0 keeps the device's value
  std::uint8_t ErrorChar = 0x00;            // 0 keeps the device's value
  std::uint8_t EofChar = 0x00;              // 0 keeps the device's value
  std::uint8_t EvtChar = 0x00;              // 0 keeps the device's value

  // Bits 0 to 14 of flowflag; setflow replaces flowflag (bits 15 to 31 become 0).
  rsflowset flow() const;
  void setflow(rsflowset value);

  // Events. OnCreate, OnOpen and OnClose receive the component; the line
  // events receive the tcommthread (which carries eventmask and rxcount).
  TNotifyEvent OnBREAK, OnCTS, OnDSR, OnERR, OnRING, OnRLSD, OnRXCHAR, OnRXFLAG, OnTXEMPTY;
  TNotifyEvent OnCreate, OnOpen, OnClose, OnPACKET;

  // Asked every few milliseconds while a write waits for the device: the
  // window keeps repainting there, a tool looks for Ctrl+C. False abandons
  // the write (cancelled; lasterror kind kStopped). Empty: the write waits
  // undisturbed until it completes or txtimeout has passed.
  WriteWaitHook writewait;

  // True when the device is open and configured. False when already open, or
  // when the device is missing, in use, or refuses the settings (released then).
  bool open();
  // False when not open; else whether releasing the device succeeded.
  bool close();
  // True when all count bytes were sent within txtimeout ms. The bytes are
  // copied first; a write that timed out or was stopped through writewait is
  // cancelled before returning.
  bool write(const std::uint8_t* bytes, int count);
  bool writebyte(std::uint8_t byte);
  // False when not open; else whether the device switched the line.
  bool setrts(bool on);
  bool setdtr(bool on);

  bool opened() const { return opened_; }
  // The device the open port uses, as the port resolver named it at open;
  // empty when closed (or when the backend does not resolve names).
  std::string device() const { return opened_ && device_ ? device_->DevicePath() : std::string(); }
  bool usethread() const { return usethread_; }
  // Why the last open or write failed; kind kNone after a success.
  CommError lasterror() const { return lasterror_; }
  // Line events watched since the last open.
  std::uint32_t eventmask() const { return eventmask_; }
  // The control record and time-outs as last handed to the device.
  const CommControl& dcb() const { return dcb_; }
  const CommTimeouts& timeouts() const { return timeouts_; }
  // Byte counts of the last write.
  std::uint32_t byteswritten() const { return byteswritten_; }
  std::uint32_t bytestransferred() const { return bytestransferred_; }

 private:
  friend class tcommthread;
  bool failopen();
  void endthread();
  void reapretired();
  CommError deviceerror() const;

  CommDeviceFactory factory_;
  std::unique_ptr<CommDevice> device_;
  CommControl dcb_;
  CommTimeouts timeouts_;
  std::uint32_t eventmask_ = 0;
  std::unique_ptr<tcommthread> thread_;
  // Threads closed from inside their own hand-off; joined at a later open or close.
  std::vector<std::unique_ptr<tcommthread>> retired_;
  bool opened_ = false;
  bool usethread_ = false;
  std::uint32_t byteswritten_ = 0;
  std::uint32_t bytestransferred_ = 0;
  std::vector<std::uint8_t> sendbuffer_;
  CommError lasterror_;
};

// The parity value for a parity text, or -1 when the text matches no entry.
int ParityFromText(const std::string& text);
// The StopBits value for a stop-bit text, or -1 when the text matches none.
int StopBitsFromText(const std::string& text);

}  // namespace vk47
