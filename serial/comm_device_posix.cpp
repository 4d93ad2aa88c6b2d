// The comm device over termios and ioctl (Linux, and POSIX systems with the
// same ioctls).
//
// Line events: the platform has no WaitCommEvent, so WaitEvent builds one from
// poll(). Received bytes are moved from the kernel into a private input queue
// (bounded by the size given to SetupQueues), which makes each arrival an edge
// (kEvRxChar) and lets the bytes be scanned for the event character
// (kEvRxFlag); ClearErrors counts this queue plus what the kernel still holds.
// CTS, DSR, RING, RLSD, breaks and line errors come from the driver's interrupt
// counters (TIOCGICOUNT), or failing that from sampling the modem lines
// (TIOCMGET), every kPollTickMs. TIOCMIWAIT is not used: it blocks in the
// kernel and nothing but a signal ends it, while a changed mask or a close must
// end a pending wait at once; that is what the wake pipe does here.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "serial/comm_device.h"
#include "serial/comm_device_posix.h"
#include "serial/port_resolver.h"
#include "serial/termios_translation.h"

namespace vk47 {
namespace {

constexpr int kPollTickMs = 10;

// The open devices' settings from before Open, where a signal handler can put
// them back. A slot's fd is -1 when free and -2 while being filled; the
// settings are written before the fd is published and the fd is withdrawn
// before the descriptor is closed, so a handler never restores a descriptor
// that has been reused for something else.
struct OpenTerminal {
  std::atomic<int> fd{-1};
  termios original{};
};
constexpr int kTerminalSlots = 32;
OpenTerminal g_open_terminals[kTerminalSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

OpenTerminal* RememberTerminal(int fd, const termios& original) {
  for (OpenTerminal& slot : g_open_terminals) {
    int free = -1;
    if (!slot.fd.compare_exchange_strong(free, -2)) continue;
    slot.original = original;
    slot.fd.store(fd);
    return &slot;
  }
  return nullptr;  // more open devices than slots: only Close restores this one
}

void ForgetTerminal(OpenTerminal*& slot) {
  if (slot) slot->fd.store(-1);
  slot = nullptr;
}

void RestoreTerminalsAndDie(int signal) {
  const int saved_errno = errno;
  RestoreOpenTerminals();
  // The signal's own end, as if it had not been caught: the exit status
  // still tells the parent which signal ended the program.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  errno = saved_errno;
  ::raise(signal);
}
constexpr std::uint32_t kModemEvents = kEvCts | kEvDsr | kEvRlsd | kEvRing | kEvBreak | kEvErr;

// The driver's count of bytes still to send.
std::optional<int> DriverOutputQueue(int fd) {
  int queued = 0;
  if (::ioctl(fd, TIOCOUTQ, &queued) != 0) return std::nullopt;
  return queued;
}

// The one place where errno becomes a portable kind.
CommErrorKind MapErrno(int err) {
  switch (err) {
    case 0: return CommErrorKind::kNone;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return CommErrorKind::kNotFound;
    case EBUSY:
    case EWOULDBLOCK: return CommErrorKind::kInUse;
    case EACCES:
    case EPERM:
    case EROFS: return CommErrorKind::kPermissionDenied;
    case EINVAL:
    case ENOTTY:
    case ENOTSUP: return CommErrorKind::kUnsupportedSetting;
    case EIO:
    case EPIPE:
    case EBADF: return CommErrorKind::kIoError;
    case ETIMEDOUT: return CommErrorKind::kTimedOut;
    case EISDIR: return CommErrorKind::kNotSerial;
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ENOSPC: return CommErrorKind::kNoResources;
    default: return CommErrorKind::kOther;
  }
}

class PosixCommDevice final : public CommDevice {
 public:
  explicit PosixCommDevice(OutputQueueProbe output_queue = DriverOutputQueue)
      : output_queue_(std::move(output_queue)) {}
  ~PosixCommDevice() override {
    if (fd_ >= 0) Close();
  }

  bool Open(const std::string& portname) override {
    if (fd_ >= 0) return Fail(CommErrorKind::kInUse, EBUSY, "already open");
    const ResolvedPort resolved = ResolvePort(portname);
    if (resolved.refused()) {
      device_ = resolved.detail;
      return Fail(resolved.refusal, 0, resolved.explanation);
    }
    device_ = resolved.device;
    int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      // A file or folder named as the port is no serial line, whatever else
      // kept it from opening (a file the user may not write is no reason to
      // ask for the dialout group).
      struct stat named {};
      if (::stat(device_.c_str(), &named) == 0 && !S_ISCHR(named.st_mode)) {
        return Fail(CommErrorKind::kNotSerial, err, "not a serial device");
      }
      return FailErrno(err);
    }
    // A FIFO, a regular file or /dev/null opens, but is no serial line.
    struct stat info {};
    termios tio{};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || ::tcgetattr(fd, &tio) != 0) {
      ::close(fd);
      return Fail(CommErrorKind::kNotSerial, ENOTTY, "not a serial device");
    }
    // Put back at close, so a terminal named by the user is not left raw.
    const termios original = tio;
    // The exclusive hold: flock keeps out every other open that asks for it,
    // root's included, and the kernel drops it with the last descriptor, so
    // a holder killed by SIGKILL leaves nothing behind. TIOCEXCL is not used:
    // it stays on the device when its holder is killed, and every later open
    // by a user would then be refused until the device is re-created.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int err = errno;
      ::close(fd);
      return err == EWOULDBLOCK ? Fail(CommErrorKind::kInUse, err, "device is locked by another open")
                                : FailErrno(err);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0 || ::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
      int err = errno;
      ::close(fd);
      return FailErrno(err);
    }
    fd_ = fd;
    original_ = original;
    remembered_ = RememberTerminal(fd, original);
    mask_ = 0;
    hung_up_ = false;
    tx_pending_ = false;
    stored_ = CommControl{};
    return true;
  }

  bool SetupQueues(std::uint32_t rx_bytes, std::uint32_t /*tx_bytes*/) override {
    if (fd_ < 0) return NotOpen();
    std::lock_guard lock(rx_mutex_);
    rx_capacity_ = rx_bytes > 0 ? rx_bytes : 1;
    return true;
  }

  bool GetState(CommControl& state) override {
    if (fd_ < 0) return NotOpen();
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return FailErrno(errno);
    int lines = 0;
    const bool has_lines = ::ioctl(fd_, TIOCMGET, &lines) == 0;  // a pty has none
    state = TermiosToControl(tio, stored_, has_lines ? std::optional<int>(lines) : std::nullopt);
    return true;
  }

  bool SetState(const CommControl& state) override {
    if (fd_ < 0) return NotOpen();
    using namespace comm_flags;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return FailErrno(errno);
    if (std::string refusal = ControlToTermios(state, tio); !refusal.empty()) return Unsupported(std::move(refusal));
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return FailErrno(errno);
    termios now{};
    if (::tcgetattr(fd_, &now) != 0) return FailErrno(errno);
    if (!LineSettingsKept(tio, now)) return Unsupported("the device did not accept these line settings");

    // Modes 0 and 1 switch the line; a pseudo-terminal has no modem lines.
    if (DtrMode(state.Flags) < 2) SetLine(TIOCM_DTR, DtrMode(state.Flags) == 1);
    if (RtsMode(state.Flags) < 2) SetLine(TIOCM_RTS, RtsMode(state.Flags) == 1);
    stored_ = state;
    evt_char_ = state.EvtChar;
    return true;
  }

  bool GetTimeouts(CommTimeouts& timeouts) override {
    if (fd_ < 0) return NotOpen();
    timeouts = timeouts_;
    return true;
  }

  // Kept for GetTimeouts; Write takes its own limit and nothing here reads.
  bool SetTimeouts(const CommTimeouts& timeouts) override {
    if (fd_ < 0) return NotOpen();
    timeouts_ = timeouts;
    return true;
  }

  bool SetEventMask(std::uint32_t mask) override {
    if (fd_ < 0) return NotOpen();
    mask_ = mask;
    rebaseline_ = true;
    ++generation_;
    Wake();
    return true;
  }

  // Writes finish or are cancelled before Write returns and nothing reads, so
  // the abort flags have nothing to stop; the clear flags empty the queues.
  bool Purge(std::uint32_t flags) override {
    if (fd_ < 0) return NotOpen();
    if (flags & kPurgeTxClear) ::tcflush(fd_, TCOFLUSH);
    if (flags & kPurgeRxClear) {
      std::lock_guard lock(rx_mutex_);
      ::tcflush(fd_, TCIFLUSH);
      rx_queue_.clear();
    }
    return true;
  }

  WriteResult Write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t timeout_ms,
                    const WriteWaitHook& keep_waiting) override {
    WriteResult result;
    if (fd_ < 0) {
      NotOpen();
      return result;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    auto remaining_ms = [&] {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      return left > 0 ? static_cast<int>(std::min<long long>(left, 1 << 30)) : 0;
    };
    // With a hook, no single wait outlasts a slice, so a stop request or the
    // window's repaint is never held up by a device that does not drain.
    auto slice_ms = [&](int left) {
      return keep_waiting ? std::min(left, static_cast<int>(kWriteWaitSliceMs)) : left;
    };
    bool waited = false;
    bool first = true;
    std::uint32_t sent = 0;
    while (sent < count) {
      ssize_t n = ::write(fd_, bytes + sent, count - sent);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        FailErrno(errno);
        result.transferred_count = sent;
        return result;
      }
      if (n > 0) sent += static_cast<std::uint32_t>(n);
      if (first) result.immediate_count = sent;
      first = false;
      if (sent == count) break;
      waited = true;
      int left = remaining_ms();
      if (left == 0) return Cancel(result, sent, WriteOutcome::kTimedOut);
      pollfd pfd{fd_, POLLOUT, 0};
      ::poll(&pfd, 1, slice_ms(left));
      if (keep_waiting && !keep_waiting()) return Cancel(result, sent, WriteOutcome::kStopped);
    }
    // Complete means sent on the line: wait for the driver's output queue.
    // One byte at 9600 bit/s leaves in about a millisecond, so the queue is
    // looked at every millisecond at first, then less often while it stays.
    int pause_ms = 1;
    for (std::optional<int> queued = output_queue_(fd_); queued && *queued > 0; queued = output_queue_(fd_)) {
      waited = true;
      const int left = remaining_ms();
      if (left == 0) return Cancel(result, sent, WriteOutcome::kTimedOut);
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(pause_ms, slice_ms(left))));
      pause_ms = std::min(pause_ms * 2, static_cast<int>(kWriteWaitSliceMs));
      if (keep_waiting && !keep_waiting()) return Cancel(result, sent, WriteOutcome::kStopped);
    }
    if (mask_.load() & kEvTxEmpty) {
      tx_pending_ = true;
      Wake();
    }
    result.outcome = waited ? WriteOutcome::kPendingThenDone : WriteOutcome::kDoneAtOnce;
    result.transferred_count = sent;
    return result;
  }

  bool Escape(std::uint32_t function) override {
    if (fd_ < 0) return NotOpen();
    const std::optional<ModemLineChange> change = EscapeToModemLine(function);
    if (!change) return Unsupported("escape function " + std::to_string(function) + " is not supported");
    return SetLine(change->bit, change->on) || FailErrno(errno);
  }

  bool WaitEvent(std::uint32_t& events) override {
    events = 0;
    if (fd_ < 0) return NotOpen();
    const std::uint64_t generation = generation_.load();
    const std::uint32_t mask = mask_.load();
    if (mask == 0) return true;
    if (rebaseline_.exchange(false)) TakeBaselines();
    for (;;) {
      std::uint32_t found = 0;
      bool reading = (mask & (kEvRxChar | kEvRxFlag)) && !hung_up_;
      bool queue_full = false;
      if (reading) found |= ReadInput(queue_full);
      if (mask & kModemEvents) found |= CheckLineCounters();
      if ((mask & kEvTxEmpty) && tx_pending_.load()) {
        const std::optional<int> queued = output_queue_(fd_);
        if (!queued || *queued == 0) {
          tx_pending_ = false;
          found |= kEvTxEmpty;
        }
      }
      found &= mask;
      if (found) {
        events = found;
        return true;
      }
      if (generation_.load() != generation) return true;

      pollfd pfds[2] = {{wake_[0], POLLIN, 0}, {fd_, POLLIN, 0}};
      nfds_t count = (reading && !queue_full) ? 2 : 1;
      bool tick = ((mask & kModemEvents) && (icount_ok_ || modem_ok_)) ||
                  ((mask & kEvTxEmpty) && tx_pending_.load()) || (reading && queue_full);
      int ready = ::poll(pfds, count, tick ? kPollTickMs : -1);
      if (ready < 0 && errno != EINTR) return FailErrno(errno);
      if (ready <= 0) continue;
      if (pfds[0].revents) DrainWake();
      if (count == 2 && (pfds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfds[1].revents & POLLIN))
        hung_up_ = true;
    }
  }

  bool ClearErrors(std::uint32_t& in_queue) override {
    in_queue = 0;
    if (fd_ < 0) return NotOpen();
    int kernel = 0;
    if (::ioctl(fd_, FIONREAD, &kernel) != 0) return FailErrno(errno);
    std::lock_guard lock(rx_mutex_);
    in_queue = static_cast<std::uint32_t>(rx_queue_.size() + static_cast<std::size_t>(kernel));
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return NotOpen();
    ++generation_;
    Wake();
    // The caller has lowered DTR and RTS; the line settings go back to what
    // the device had before Open (a vanished device refuses, which is fine).
    ForgetTerminal(remembered_);
    ::tcsetattr(fd_, TCSANOW, &original_);
    int rc = ::close(fd_);
    int err = errno;
    fd_ = -1;
    ::close(wake_[0]);
    ::close(wake_[1]);
    wake_[0] = wake_[1] = -1;
    {
      std::lock_guard lock(rx_mutex_);
      rx_queue_.clear();
    }
    return rc == 0 || FailErrno(err);
  }

  std::string DevicePath() const override { return device_; }

  CommError LastError() const override {
    std::lock_guard lock(error_mutex_);
    return last_error_;
  }

 private:
  bool Fail(CommErrorKind kind, int os_code, std::string message) {
    std::lock_guard lock(error_mutex_);
    last_error_ = CommError{kind, os_code, std::move(message), device_};
    return false;
  }
  bool FailErrno(int err) { return Fail(MapErrno(err), err, std::generic_category().message(err)); }
  bool Unsupported(std::string message) {
    return Fail(CommErrorKind::kUnsupportedSetting, EINVAL, std::move(message));
  }
  bool NotOpen() { return Fail(CommErrorKind::kNotOpen, EBADF, "device is not open"); }

  WriteResult Cancel(WriteResult result, std::uint32_t sent, WriteOutcome why) {
    ::tcflush(fd_, TCOFLUSH);  // what was queued must not go out later
    if (why == WriteOutcome::kStopped) {
      Fail(CommErrorKind::kStopped, ECANCELED, "stopped on request");
    } else {
      Fail(CommErrorKind::kTimedOut, ETIMEDOUT, std::generic_category().message(ETIMEDOUT));
    }
    result.outcome = why;
    result.transferred_count = sent;
    return result;
  }

  bool SetLine(int bit, bool on) { return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0; }

  void Wake() {
    if (wake_[1] < 0) return;
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_[1], &byte, 1);  // a full pipe wakes as well
  }

  void DrainWake() {
    char buffer[64];
    while (::read(wake_[0], buffer, sizeof buffer) > 0) {
    }
  }

  // Moves waiting bytes into the private queue; kEvRxChar when any arrived,
  // kEvRxFlag when the event character was among them.
  std::uint32_t ReadInput(bool& queue_full) {
    std::uint32_t found = 0;
    const std::uint8_t evt = evt_char_.load();
    std::lock_guard lock(rx_mutex_);
    for (;;) {
      std::size_t space = rx_capacity_ > rx_queue_.size() ? rx_capacity_ - rx_queue_.size() : 0;
      if (space == 0) {
        queue_full = true;
        break;
      }
      std::uint8_t buffer[256];
      ssize_t n = ::read(fd_, buffer, std::min(space, sizeof buffer));
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || (n < 0 && errno != EAGAIN)) {
        hung_up_ = true;  // end of file or EIO: the other side is gone
        break;
      }
      if (n < 0) break;
      found |= kEvRxChar;
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == evt) found |= kEvRxFlag;
        rx_queue_.push_back(buffer[i]);
      }
    }
    if (queue_full) {
      // Bytes the queue cannot take stay in the kernel; their arrival still counts.
      int kernel = 0;
      if (::ioctl(fd_, FIONREAD, &kernel) == 0) {
        if (kernel > kernel_backlog_) found |= kEvRxChar;
        kernel_backlog_ = kernel;
      }
    } else {
      kernel_backlog_ = 0;
    }
    return found;
  }

  void TakeBaselines() {
#if defined(TIOCGICOUNT)
    icount_ok_ = ::ioctl(fd_, TIOCGICOUNT, &icount_) == 0;
#endif
    modem_ok_ = ::ioctl(fd_, TIOCMGET, &modem_) == 0;
  }

  std::uint32_t CheckLineCounters() {
    std::uint32_t found = 0;
#if defined(TIOCGICOUNT)
    if (icount_ok_) {
      serial_icounter_struct now{};
      if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) return 0;
      if (now.cts != icount_.cts) found |= kEvCts;
      if (now.dsr != icount_.dsr) found |= kEvDsr;
      if (now.rng != icount_.rng) found |= kEvRing;
      if (now.dcd != icount_.dcd) found |= kEvRlsd;
      if (now.brk != icount_.brk) found |= kEvBreak;
      if (now.frame != icount_.frame || now.overrun != icount_.overrun ||
          now.parity != icount_.parity || now.buf_overrun != icount_.buf_overrun)
        found |= kEvErr;
      icount_ = now;
      return found;
    }
#endif
    if (modem_ok_) {
      int now = 0;
      if (::ioctl(fd_, TIOCMGET, &now) != 0) return 0;
      int changed = now ^ modem_;
      if (changed & TIOCM_CTS) found |= kEvCts;
      if (changed & TIOCM_DSR) found |= kEvDsr;
      if (changed & TIOCM_RNG) found |= kEvRing;
      if (changed & TIOCM_CAR) found |= kEvRlsd;
      modem_ = now;
    }
    return found;
  }

  const OutputQueueProbe output_queue_;
  int fd_ = -1;
  int wake_[2] = {-1, -1};
  std::string device_;
  termios original_{};  // the device's settings before Open, restored at Close
  OpenTerminal* remembered_ = nullptr;  // the same, where a signal handler finds it
  CommControl stored_;  // fields that termios does not hold
  CommTimeouts timeouts_;
  std::atomic<std::uint32_t> mask_{0};
  std::atomic<std::uint64_t> generation_{0};
  std::atomic<bool> rebaseline_{true};
  std::atomic<bool> tx_pending_{false};
  std::atomic<std::uint8_t> evt_char_{0};

  std::mutex rx_mutex_;
  std::deque<std::uint8_t> rx_queue_;
  std::size_t rx_capacity_ = 4096;

  // Used by the waiting thread only.
  bool hung_up_ = false;
  int kernel_backlog_ = 0;
  bool icount_ok_ = false;
  bool modem_ok_ = false;
  int modem_ = 0;
#if defined(TIOCGICOUNT)
  serial_icounter_struct icount_{};
#endif

  mutable std::mutex error_mutex_;
  CommError last_error_;
};

}  // namespace

void RestoreOpenTerminals() noexcept {
  for (OpenTerminal& slot : g_open_terminals) {
    const int fd = slot.fd.load();
    if (fd >= 0) ::tcsetattr(fd, TCSANOW, &slot.original);
  }
}

void RestoreTerminalsOnSignals(std::initializer_list<int> which) {
  struct sigaction action {};
  action.sa_handler = RestoreTerminalsAndDie;
  ::sigemptyset(&action.sa_mask);
  // One handler at a time: a second signal waits until the first has ended the program.
  for (int signal : which) ::sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESETHAND;
  for (int signal : which) ::sigaction(signal, &action, nullptr);
}

std::unique_ptr<CommDevice> MakePlatformCommDevice() { return std::make_unique<PosixCommDevice>(); }

std::unique_ptr<CommDevice> MakePosixCommDeviceForTesting(OutputQueueProbe probe) {
  return std::make_unique<PosixCommDevice>(std::move(probe));
}

}  // namespace vk47
