// The comm device over the Win32 communications API. The handle is opened for
// overlapped I/O: writes wait on their own event with a limit, and the event
// thread's WaitCommEvent waits on another, so that the two never share an
// OVERLAPPED record. Every OVERLAPPED lives on the stack of the call that
// issued it and that call does not return before the operation has ended
// (completed, or cancelled and then completed), so no buffer is read after
// it has gone away.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "serial/comm_device.h"
#include "serial/port_resolver.h"
#include "serial/wide_name_win32.h"

namespace vk47 {
namespace {

// The portable constants are passed to the system as they stand.
static_assert(kEvRxChar == EV_RXCHAR && kEvRxFlag == EV_RXFLAG && kEvTxEmpty == EV_TXEMPTY &&
              kEvCts == EV_CTS && kEvDsr == EV_DSR && kEvRlsd == EV_RLSD && kEvBreak == EV_BREAK &&
              kEvErr == EV_ERR && kEvRing == EV_RING);
static_assert(kPurgeTxAbort == PURGE_TXABORT && kPurgeRxAbort == PURGE_RXABORT &&
              kPurgeTxClear == PURGE_TXCLEAR && kPurgeRxClear == PURGE_RXCLEAR);
static_assert(kSetRts == SETRTS && kClrRts == CLRRTS && kSetDtr == SETDTR && kClrDtr == CLRDTR);

// The DCB flag word is the DWORD that follows BaudRate.
static_assert(sizeof(DCB) == 28, "unexpected DCB layout");
constexpr std::size_t kFlagWordOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);

std::uint32_t FlagWord(const DCB& dcb) {
  std::uint32_t flags = 0;
  std::memcpy(&flags, reinterpret_cast<const char*>(&dcb) + kFlagWordOffset, sizeof flags);
  return flags;
}

void SetFlagWord(DCB& dcb, std::uint32_t flags) {
  std::memcpy(reinterpret_cast<char*>(&dcb) + kFlagWordOffset, &flags, sizeof flags);
}

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
      --length;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
      text.resize(static_cast<std::size_t>(bytes));
      WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), bytes, nullptr, nullptr);
    }
  }
  if (buffer != nullptr) LocalFree(buffer);
  return text;
}

// The one place where GetLastError() becomes a portable kind.
CommErrorKind MapError(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return CommErrorKind::kNone;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST: return CommErrorKind::kNotFound;
    // A COM port held by another program refuses a second CreateFile with
    // ERROR_ACCESS_DENIED; for a serial port that means "in use".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return CommErrorKind::kInUse;
    case ERROR_PRIVILEGE_NOT_HELD: return CommErrorKind::kPermissionDenied;
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION: return CommErrorKind::kUnsupportedSetting;
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE: return CommErrorKind::kIoError;
    case WAIT_TIMEOUT:
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT: return CommErrorKind::kTimedOut;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES: return CommErrorKind::kNoResources;
    default: return CommErrorKind::kOther;
  }
}

class Win32CommDevice final : public CommDevice {
 public:
  ~Win32CommDevice() override {
    if (handle_ != INVALID_HANDLE_VALUE) Close();
  }

  bool Open(const std::string& portname) override {
    if (handle_ != INVALID_HANDLE_VALUE) return FailCode(ERROR_BUSY);
    const ResolvedPort resolved = ResolvePort(portname);
    if (resolved.refused()) {
      std::lock_guard lock(error_mutex_);
      device_ = resolved.detail;
      last_error_ = CommError{resolved.refusal, 0, resolved.explanation, device_};
      return false;
    }
    device_ = resolved.device;
    HANDLE handle = CreateFileW(Widen(device_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FailCode(GetLastError());
    HANDLE send_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE wait_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (send_event == nullptr || wait_event == nullptr) {
      DWORD code = GetLastError();
      if (send_event != nullptr) CloseHandle(send_event);
      if (wait_event != nullptr) CloseHandle(wait_event);
      CloseHandle(handle);
      return FailCode(code);
    }
    handle_ = handle;
    send_event_ = send_event;
    wait_event_ = wait_event;
    return true;
  }

  bool SetupQueues(std::uint32_t rx_bytes, std::uint32_t tx_bytes) override {
    return SetupComm(handle_, rx_bytes, tx_bytes) || FailCode(GetLastError());
  }

  bool GetState(CommControl& state) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return FailCode(GetLastError());
    state.BaudRate = dcb.BaudRate;
    state.Flags = FlagWord(dcb);
    state.XonLim = dcb.XonLim;
    state.XoffLim = dcb.XoffLim;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.XonChar = static_cast<std::uint8_t>(dcb.XonChar);
    state.XoffChar = static_cast<std::uint8_t>(dcb.XoffChar);
    state.ErrorChar = static_cast<std::uint8_t>(dcb.ErrorChar);
    state.EofChar = static_cast<std::uint8_t>(dcb.EofChar);
    state.EvtChar = static_cast<std::uint8_t>(dcb.EvtChar);
    return true;
  }

  bool SetState(const CommControl& state) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle_, &dcb);  // keeps the reserved fields as the driver has them
    dcb.BaudRate = state.BaudRate;
    SetFlagWord(dcb, state.Flags);
    dcb.XonLim = state.XonLim;
    dcb.XoffLim = state.XoffLim;
    dcb.ByteSize = state.ByteSize;
    dcb.Parity = state.Parity;
    dcb.StopBits = state.StopBits;
    dcb.XonChar = static_cast<char>(state.XonChar);
    dcb.XoffChar = static_cast<char>(state.XoffChar);
    dcb.ErrorChar = static_cast<char>(state.ErrorChar);
    dcb.EofChar = static_cast<char>(state.EofChar);
    dcb.EvtChar = static_cast<char>(state.EvtChar);
    return SetCommState(handle_, &dcb) || FailCode(GetLastError());
  }

  bool GetTimeouts(CommTimeouts& timeouts) override {
    COMMTIMEOUTS t{};
    if (!GetCommTimeouts(handle_, &t)) return FailCode(GetLastError());
    timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    return true;
  }

  bool SetTimeouts(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS t{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                   timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                   timeouts.WriteTotalTimeoutConstant};
    return SetCommTimeouts(handle_, &t) || FailCode(GetLastError());
  }

  // The driver ends a pending WaitCommEvent with no events when the mask changes.
  bool SetEventMask(std::uint32_t mask) override {
    return SetCommMask(handle_, mask) || FailCode(GetLastError());
  }

  bool Purge(std::uint32_t flags) override { return PurgeComm(handle_, flags) || FailCode(GetLastError()); }

  WriteResult Write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t timeout_ms,
                    const WriteWaitHook& keep_waiting) override {
    WriteResult result;
    ResetEvent(send_event_);
    OVERLAPPED send{};
    send.hEvent = send_event_;
    DWORD written = 0;
    if (WriteFile(handle_, bytes, count, &written, &send)) {
      result.outcome = WriteOutcome::kDoneAtOnce;
      result.immediate_count = written;
      result.transferred_count = written;
      return written < count ? DriverTimedOut(result) : result;
    }
    DWORD code = GetLastError();
    result.immediate_count = written;
    if (code != ERROR_IO_PENDING) {
      FailCode(code);
      return result;
    }
    // With a hook the wait goes in slices, so that a stop request or the
    // window's repaint is never held up by a device that does not drain.
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    DWORD waited = WAIT_TIMEOUT;
    bool stopped = false;
    for (;;) {
      const ULONGLONG now = GetTickCount64();
      const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
      const DWORD slice = keep_waiting ? std::min<DWORD>(left, kWriteWaitSliceMs) : left;
      waited = WaitForSingleObject(send_event_, slice);
      if (waited != WAIT_TIMEOUT || left == 0 || slice == left) break;
      if (keep_waiting && !keep_waiting()) {
        stopped = true;
        break;
      }
    }
    DWORD transferred = 0;
    if (waited != WAIT_OBJECT_0) {
      DWORD wait_code = waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : GetLastError();
      // Cancel, then wait for the cancellation: only then are `send` and the
      // caller's bytes no longer used by the driver.
      CancelIo(handle_);
      GetOverlappedResult(handle_, &send, &transferred, TRUE);
      result.transferred_count = transferred;
      if (stopped) {
        std::lock_guard lock(error_mutex_);
        last_error_ = CommError{CommErrorKind::kStopped, ERROR_OPERATION_ABORTED, "stopped on request", device_};
        result.outcome = WriteOutcome::kStopped;
        return result;
      }
      FailCode(wait_code);
      result.outcome = waited == WAIT_TIMEOUT ? WriteOutcome::kTimedOut : WriteOutcome::kFailed;
      return result;
    }
    if (!GetOverlappedResult(handle_, &send, &transferred, FALSE)) {
      FailCode(GetLastError());
      result.transferred_count = transferred;
      return result;
    }
    result.outcome = WriteOutcome::kPendingThenDone;
    result.transferred_count = transferred;
    return transferred < count ? DriverTimedOut(result) : result;
  }

  bool Escape(std::uint32_t function) override {
    return EscapeCommFunction(handle_, function) || FailCode(GetLastError());
  }

  // Overlapped, because the handle was opened so; waiting for the result
  // makes it block like WaitCommEvent without a record on a plain handle.
  bool WaitEvent(std::uint32_t& events) override {
    events = 0;
    DWORD mask = 0;
    ResetEvent(wait_event_);
    OVERLAPPED wait{};
    wait.hEvent = wait_event_;
    if (!WaitCommEvent(handle_, &mask, &wait)) {
      DWORD code = GetLastError();
      if (code != ERROR_IO_PENDING) return FailCode(code);
      DWORD unused = 0;
      if (!GetOverlappedResult(handle_, &wait, &unused, TRUE)) return FailCode(GetLastError());
    }
    events = mask;
    return true;
  }

  bool ClearErrors(std::uint32_t& in_queue) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) {
      in_queue = 0;
      return FailCode(GetLastError());
    }
    in_queue = status.cbInQue;
    return true;
  }

  bool Close() override {
    if (send_event_ != nullptr) CloseHandle(send_event_);
    if (wait_event_ != nullptr) CloseHandle(wait_event_);
    send_event_ = wait_event_ = nullptr;
    BOOL closed = CloseHandle(handle_);
    DWORD code = closed ? ERROR_SUCCESS : GetLastError();
    handle_ = INVALID_HANDLE_VALUE;
    return closed || FailCode(code);
  }

  std::string DevicePath() const override { return device_; }

  CommError LastError() const override {
    std::lock_guard lock(error_mutex_);
    return last_error_;
  }

 private:
  bool FailCode(DWORD code) {
    std::lock_guard lock(error_mutex_);
    last_error_ = CommError{MapError(code), static_cast<int>(code), SystemMessage(code), device_};
    return false;
  }

  // A serial write that completes with fewer bytes than asked has run into
  // the device's own write time-out (WriteTotalTimeoutConstant, which Trs232c
  // sets to the same limit as the wait): the far end stopped taking bytes.
  // That is the time-out the POSIX backend reports, not a short write.
  WriteResult DriverTimedOut(WriteResult result) {
    FailCode(ERROR_TIMEOUT);
    result.outcome = WriteOutcome::kTimedOut;
    return result;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE send_event_ = nullptr;
  HANDLE wait_event_ = nullptr;
  std::string device_;
  mutable std::mutex error_mutex_;
  CommError last_error_;
};

}  // namespace

std::unique_ptr<CommDevice> MakePlatformCommDevice() { return std::make_unique<Win32CommDevice>(); }

// Device names are not case-sensitive: \\.\COM3 and \\.\com3 are one port.
std::optional<std::string> DeviceIdentity(const std::string& device) {
  std::string name = device;
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

}  // namespace vk47
